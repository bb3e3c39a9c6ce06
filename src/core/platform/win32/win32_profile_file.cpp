// The profile functions of Windows itself. The buffer of 254 characters gives at most 253 of a
// value, as the settings file has always been read.
#include <windows.h>

#include "platform/profile_file.h"
#include "platform/win32/win32_error.h"
#include "text/ini_text.h"

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

std::vector<std::pair<std::string, std::string>> ReadProfileSection(const NativeString& path,
                                                                    std::string_view section) {
  // The section comes back as "key=value" strings, each ended by a NUL, the last by two; a buffer
  // that was too small is filled to its size less two.
  std::wstring buffer(4096, L'\0');
  DWORD copied = 0;
  for (;;) {
    copied = ::GetPrivateProfileSectionW(Utf8ToNative(section).c_str(), buffer.data(),
                                         static_cast<DWORD>(buffer.size()), path.c_str());
    if (copied + 2 < buffer.size() || buffer.size() >= (1u << 24)) break;
    buffer.assign(buffer.size() * 4, L'\0');
  }
  std::string text = "[s]\n";
  for (std::size_t start = 0; start < copied;) {
    const std::size_t end = buffer.find(L'\0', start);
    const std::size_t stop = end == std::wstring::npos || end > copied ? copied : end;
    text += NativeToUtf8(NativeStringView(buffer.data() + start, stop - start));
    text += '\n';
    start = stop + 1;
  }
  return text::ini::SectionValues(text, "s");
}

std::error_code ReplaceProfileSection(
    const NativeString& path, std::string_view section,
    const std::vector<std::pair<std::string, std::string>>& values) {
  std::wstring lines;
  for (const auto& [key, value] : values) {
    if (!text::ini::IsWritable(section, key, value))
      return std::make_error_code(std::errc::invalid_argument);
    lines += Utf8ToNative(key + "=\"" + value + "\"");
    lines += L'\0';
  }
  lines += L'\0';
  if (!::WritePrivateProfileSectionW(Utf8ToNative(section).c_str(), lines.c_str(), path.c_str()))
    return LastWin32Error();
  return {};
}

}  // namespace kelvo::platform
