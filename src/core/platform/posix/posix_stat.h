// Examining entries and open folders with statx: the modification and birth times that tell a file
// re-created under a freed inode number, and the mount a folder lies on, which tells a bind mount
// of the same file system from its source where the device number cannot.
#pragma once

#include <cstdint>
#include <system_error>

#include "platform/file_system.h"

namespace kelvo::platform {

// The entry name in the folder dirfd, a symbolic link examined and not followed.
[[nodiscard]] std::error_code StatEntryAt(int dirfd, const char* name, EntryStat& out);

struct FolderIdentity {
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  std::uint64_t mount = 0;  // 0 when the kernel does not tell
};

// The identity of an open folder.
[[nodiscard]] std::error_code IdentifyFolder(int fd, FolderIdentity& out);

}  // namespace kelvo::platform
