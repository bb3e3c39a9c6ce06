// The profile functions of Windows itself. The buffer of 254 characters gives at most 253 of a
// value, as the settings file has always been read.
#include <windows.h>

#include "text/ini_text.h"
#include "platform/profile_file.h"
#include "platform/win32/win32_error.h"

namespace kelvo::platform {

std::string ReadProfileValue(const NativeString& path, std::string_view section,
                             std::string_view key, std::string_view defaultValue) {
  std::wstring buffer(254, L' ');
  DWORD copied = ::GetPrivateProfileStringW(
      Utf8ToNative(section).c_str(), Utf8ToNative(key).c_str(), Utf8ToNative(defaultValue).c_str(),
      buffer.data(), static_cast<DWORD>(buffer.size()), path.c_str());
  return NativeToUtf8(NativeStringView(buffer.data(), copied));
}

std::error_code WriteProfileValue(const NativeString& path, std::string_view section,
                                  std::string_view key, std::string_view value) {
  if (!text::ini::IsWritable(section, key, value)) {
    return std::make_error_code(std::errc::invalid_argument);
  }
  if (!::WritePrivateProfileStringW(Utf8ToNative(section).c_str(), Utf8ToNative(key).c_str(),
                                    Utf8ToNative(value).c_str(), path.c_str())) {
    return LastWin32Error();
  }
  return {};
}

}  // namespace kelvo::platform
