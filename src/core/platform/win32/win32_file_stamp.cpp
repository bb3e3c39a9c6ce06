#include <windows.h>

#include "platform/file_stamp.h"
#include "platform/win32/file_time.h"
#include "platform/win32/long_path.h"

namespace kelvo::platform {

FileStamp StampOf(const NativeString& path) {
  FileStamp stamp;
  WIN32_FILE_ATTRIBUTE_DATA data{};
  std::error_code ec;
  const NativeString longPath = ToLongPath(path, ec);
  if (ec) {
    stamp.readable = false;
    return stamp;
  }
  if (!::GetFileAttributesExW(longPath.c_str(), GetFileExInfoStandard, &data)) {
    const DWORD e = ::GetLastError();
    stamp.readable = e == ERROR_FILE_NOT_FOUND || e == ERROR_PATH_NOT_FOUND;
    return stamp;
  }
  stamp.exists = true;
  stamp.size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  stamp.modified = FileTimeNanoseconds(data.ftLastWriteTime);
  stamp.changed = FileTimeNanoseconds(data.ftCreationTime);
  return stamp;
}

}  // namespace kelvo::platform
