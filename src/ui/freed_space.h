// What a deletion really freed: the free space of each disk it touched, read on the deletion's
// worker right before and right after it.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/native_string.h"
#include "services.h"

namespace kelvo::ui {

struct DiskFreed {
  NativeString disk;  // a folder on the disk: the rows' scan root
  std::optional<std::uint64_t> before;
  std::optional<std::uint64_t> after;
  // The measured gain, when both readings were had (other programs may write meanwhile).
  std::optional<std::int64_t> Freed() const {
    if (!before || !after) return std::nullopt;
    return static_cast<std::int64_t>(*after) - static_cast<std::int64_t>(*before);
  }
};

class FreedSpaceMeter {
 public:
  // The deletion, with the free space of the items' disks read around it.
  DeleteFunction Wrap(DeleteFunction inner, FreeSpaceFunction freeSpace);
  // The disks of the last deletion (once it has ended).
  std::vector<DiskFreed> Last() const;

 private:
  struct Shared {
    mutable std::mutex mutex;
    std::vector<DiskFreed> last;
  };
  std::shared_ptr<Shared> shared_ = std::make_shared<Shared>();
};

// One folder per disk among the items (by device; items without an identity or a root are left
// out), in the order first met.
std::vector<NativeString> DisksOf(const std::vector<scan::JunkItem>& items);

}  // namespace kelvo::ui
