#include <sys/statvfs.h>

#include <cerrno>

#include "platform/disk_space.h"
#include "platform/posix/posix_error.h"

namespace kelvo::platform {

std::error_code FreeDiskSpace(const NativeString& path, std::uint64_t& bytes) {
  struct statvfs fs;
  if (::statvfs(path.c_str(), &fs) != 0) return LastErrnoError();
  bytes = static_cast<std::uint64_t>(fs.f_bfree) * fs.f_frsize;
  return {};
}

}  // namespace kelvo::platform
