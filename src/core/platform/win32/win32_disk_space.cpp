#include <windows.h>

#include "platform/disk_space.h"

namespace kelvo::platform {

std::error_code FreeDiskSpace(const NativeString& path, std::uint64_t& bytes) {
  ULARGE_INTEGER total, free;
  if (!::GetDiskFreeSpaceExW(path.c_str(), nullptr, &total, &free))
    return {static_cast<int>(::GetLastError()), std::system_category()};
  bytes = free.QuadPart;
  return {};
}

}  // namespace kelvo::platform
