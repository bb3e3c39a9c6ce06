// What tells that a file changed without reading it: where it is, its size and its last write.
#pragma once

#include <cstdint>

#include "platform/native_string.h"

namespace kelvo::platform {

struct FileStamp {
  bool exists = false;
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  std::uint64_t size = 0;
  std::int64_t modified = 0;  // nanoseconds since 1970
  std::int64_t changed = 0;   // status change (POSIX ctime), where the platform tells it
  bool readable = true;       // false when the file is there but could not be examined
  bool operator==(const FileStamp&) const = default;
};

// The stamp of the file at path (links followed, as opening it would).
FileStamp StampOf(const NativeString& path);

}  // namespace kelvo::platform
