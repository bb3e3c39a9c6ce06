// One row of the results: what was found, why, and what the scan saw of it.
#pragma once

#include <cstdint>
#include <optional>

#include "platform/file_system.h"
#include "platform/native_string.h"

namespace kelvo::scan {

// What the scan saw of an entry, so that a later deletion can tell whether it is still the same.
struct EntryIdentity {
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  platform::EntryType type = platform::EntryType::kUnknown;
  // A file deleted and created again may get the freed inode number back, but not these.
  std::optional<std::int64_t> modified;  // nanoseconds since 1970
  std::optional<std::int64_t> born;      // where the platform tells it
};

inline EntryIdentity IdentityOf(const platform::EntryStat& stat) {
  EntryIdentity id{stat.device, stat.inode, stat.type, stat.modified, std::nullopt};
  if (stat.bornKnown) id.born = stat.born;
  return id;
}

inline constexpr int kAuditRule = 0;  // rows of the shared-DLL audit

struct JunkItem {
  NativeString fileName;
  NativeString fullPath;
  NativeString typeLabel;
  std::optional<std::uint64_t> size;  // empty when the length could not be read, or for folders
  std::uint64_t bytesOnDisk = 0;      // allocated blocks, with size
  std::uint32_t links = 1;            // the file's names on its disk
  int rule = 0;                       // 1 to 24, or kAuditRule
  std::optional<EntryIdentity> identity;
  bool emptyFolder = false;  // the row stands for a folder found empty
  NativeString root;         // the scan root the entry was reached from (empty for audit rows)
  bool needsAdmin = false;   // the effective user could not remove it; an administrator could
};

}  // namespace kelvo::scan
