#include "platform/win32/long_path.h"

#include <windows.h>

#include "platform/win32/win32_error.h"

namespace kelvo::platform {
namespace {

bool StartsWith(NativeStringView text, NativeStringView prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

}  // namespace

NativeString ToLongPath(const NativeString& path, std::error_code& ec) {
  ec.clear();
  if (path.empty()) {
    ec = std::make_error_code(std::errc::no_such_file_or_directory);
    return {};
  }
  if (StartsWith(path, L"\\\\?\\") || StartsWith(path, L"\\??\\")) return path;

  NativeString full(MAX_PATH, L'\0');
  for (;;) {
    const DWORD needed =
        ::GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (needed == 0) {
      ec = LastWin32Error();
      return {};
    }
    if (needed < full.size()) {
      full.resize(needed);
      break;
    }
    full.resize(needed);  // too small: needed counts the terminating NUL
  }
  if (StartsWith(full, L"\\\\.\\")) return full;  // a device path takes no prefix
  if (StartsWith(full, L"\\\\")) return L"\\\\?\\UNC\\" + full.substr(2);
  return L"\\\\?\\" + full;
}

}  // namespace kelvo::platform
