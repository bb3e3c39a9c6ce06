// The profile functions of Windows itself. The buffer of 254 characters gives at most 253 of a
// value, as the settings file has always been read.
#include <windows.h>

#include "platform/file_update.h"
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

namespace {

// A file the profile functions write as UTF-16 (it starts with its byte-order mark); every other
// one is read and edited as bytes, the way the POSIX back end does, which keeps the user's lines
// and reads every section of a name.
bool IsUtf16(std::string_view bytes) {
  return bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE';
}

// The lines of the first section of the name, "key=value" or as written, through the profile
// functions.
std::vector<std::wstring> ProfileSectionLines(const NativeString& path, std::string_view section) {
  // The section comes back as strings each ended by a NUL, the last by two; a buffer that was too
  // small is filled to its size less two.
  std::wstring buffer(4096, L'\0');
  DWORD copied = 0;
  for (;;) {
    copied = ::GetPrivateProfileSectionW(Utf8ToNative(section).c_str(), buffer.data(),
                                         static_cast<DWORD>(buffer.size()), path.c_str());
    if (copied + 2 < buffer.size() || buffer.size() >= (1u << 24)) break;
    buffer.assign(buffer.size() * 4, L'\0');
  }
  std::vector<std::wstring> lines;
  for (std::size_t start = 0; start < copied;) {
    const std::size_t end = buffer.find(L'\0', start);
    const std::size_t stop = end == std::wstring::npos || end > copied ? copied : end;
    lines.emplace_back(buffer.data() + start, stop - start);
    start = stop + 1;
  }
  return lines;
}

}  // namespace

Result<std::vector<std::pair<std::string, std::string>>> ReadProfileSection(
    const NativeString& path, std::string_view section) {
  const auto bytes = ReadWholeFile(path);
  if (!bytes) {
    if (bytes.error() == std::errc::no_such_file_or_directory) return text::ini::KeyValues{};
    return Fail(bytes.error());
  }
  if (!IsUtf16(*bytes)) return text::ini::SectionValues(*bytes, section);
  std::string text = "[s]\n";
  for (const std::wstring& line : ProfileSectionLines(path, section))
    text += NativeToUtf8(line) + "\n";
  return text::ini::SectionValues(text, "s");
}

std::error_code ReplaceOwnedProfileKeys(
    const NativeString& path, std::string_view section, ProfileKeyOwner owned,
    const std::vector<std::pair<std::string, std::string>>& values) {
  for (const auto& [key, value] : values)
    if (!text::ini::IsWritable(section, key, value) || !owned(key))
      return std::make_error_code(std::errc::invalid_argument);
  const auto bytes = ReadWholeFile(path);
  if (!bytes && bytes.error() != std::errc::no_such_file_or_directory) return bytes.error();
  if (!bytes || !IsUtf16(*bytes)) {
    return UpdateFileAtomically(
        path, [&](std::string_view current, bool existed) -> std::optional<std::string> {
          std::string next = text::ini::ReplaceOwnedKeys(current, section, owned, values);
          if (existed && next == current) return std::nullopt;
          return next;
        });
  }
  std::wstring lines;
  for (const auto& [key, value] : values) {
    lines += Utf8ToNative(key + "=\"" + value + "\"");
    lines += L'\0';
  }
  for (const std::wstring& line : ProfileSectionLines(path, section)) {
    const std::size_t eq = line.find(L'=');
    std::string key = NativeToUtf8(line.substr(0, eq == std::wstring::npos ? 0 : eq));
    while (!key.empty() && (key.back() == ' ' || key.back() == '\t')) key.pop_back();
    if (eq != std::wstring::npos && owned(key)) continue;
    lines += line;
    lines += L'\0';
  }
  lines += L'\0';
  if (!::WritePrivateProfileSectionW(Utf8ToNative(section).c_str(), lines.c_str(), path.c_str()))
    return LastWin32Error();
  return {};
}

}  // namespace kelvo::platform
