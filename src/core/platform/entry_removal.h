// Removing one directory entry that a scan reported, without ever leaving the scanned tree: the
// path is walked from its root one component at a time, no symbolic link or reparse point is
// followed, and the entry must still be the one the scan saw.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <system_error>

#include "platform/file_system.h"
#include "platform/native_string.h"

namespace kelvo::platform {

struct ExpectedEntry {
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  EntryType type = EntryType::kUnknown;  // kUnknown: device and inode are compared alone
};

struct RemovalTarget {
  NativeStringView path;  // absolute
  // The folder the scan started from, a prefix of path ending with the separator. Empty when not
  // known: the walk then starts at the file system's top and may cross into other file systems.
  NativeStringView root;
  std::optional<ExpectedEntry> expected;
  // Only such an entry may be a folder, and it is removed only while it is empty.
  bool emptyFolder = false;
};

enum class RemovalStatus : std::uint8_t {
  kRemoved,
  kGone,             // nothing by that name any more
  kChanged,          // another entry than the one expected stands there
  kLinkInPath,       // a folder on the way is a symbolic link or reparse point
  kOtherFileSystem,  // a folder on the way lies on another file system than the root
  kPermissionDenied,
  kInUse,
  kNotEmpty,
  kIsDirectory,  // a folder where no folder may be removed
  kFailed,       // with std::errc::invalid_argument: the path is not a plain path below its root
};

struct RemovalReport {
  RemovalStatus status = RemovalStatus::kFailed;
  std::error_code error;    // the platform's error, when one caused the status
  std::uint64_t bytes = 0;  // size of the removed entry
};

// Keeps the last parent folder open between calls, so rows of one folder are not walked again and
// again. One remover per thread.
class EntryRemover {
 public:
  virtual ~EntryRemover() = default;
  virtual RemovalReport Remove(const RemovalTarget& target) = 0;
};

std::unique_ptr<EntryRemover> MakeNativeEntryRemover();

}  // namespace kelvo::platform
