#include "settings/keep_list_file.h"

#include <algorithm>
#include <string>

#include "platform/file_update.h"
#include "platform/profile_file.h"
#include "settings/settings_file.h"
#include "text/percent_encoding.h"

namespace kelvo::settings {
namespace {

constexpr std::string_view kFolderKey = "folder";
constexpr std::string_view kPatternKey = "pattern";

// The part of a key after its kind's name: decimal digits only.
bool IsNumbered(std::string_view key, std::string_view kind) {
  if (key.size() <= kind.size()) return false;
  for (std::size_t i = 0; i < kind.size(); ++i)
    if ((key[i] | 0x20) != kind[i]) return false;
  return std::all_of(key.begin() + static_cast<std::ptrdiff_t>(kind.size()), key.end(),
                     [](char c) { return c >= '0' && c <= '9'; });
}

// Values are stored as printable ASCII: "%" and every other byte of the UTF-8 (on POSIX: the raw)
// path are written "%XX", so any name survives a profile file in any code page.
std::string Encode(std::string_view bytes) {
  return text::PercentEncode(bytes,
                             [](unsigned char c) { return c >= 0x20 && c < 0x7F && c != '%'; });
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

std::string Decode(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 &&
        HexValue(text[i + 2]) >= 0) {
      out.push_back(static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2])));
      i += 2;
    } else {
      out.push_back(text[i]);
    }
  }
  return out;
}

}  // namespace

std::vector<KeepEntry> ReadKeepList(const NativeString& settingsPath) {
  std::vector<KeepEntry> entries;
  for (const auto& [key, value] : platform::ReadProfileSection(settingsPath, kKeepSection)) {
    if (value.empty()) continue;
    if (IsNumbered(key, kFolderKey))
      entries.push_back({KeepEntry::Kind::kFolder, Utf8ToNative(Decode(value))});
    else if (IsNumbered(key, kPatternKey))
      entries.push_back({KeepEntry::Kind::kPattern, Utf8ToNative(Decode(value))});
  }
  return entries;
}

std::error_code WriteKeepList(const NativeString& settingsPath,
                              const std::vector<KeepEntry>& entries) {
  std::vector<std::pair<std::string, std::string>> values;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const bool folder = entries[i].kind == KeepEntry::Kind::kFolder;
    values.emplace_back(std::string(folder ? kFolderKey : kPatternKey) + std::to_string(i),
                        Encode(NativeToUtf8(entries[i].text)));
  }
  const NativeString folder = ParentFolder(settingsPath);
  if (!folder.empty()) {
    if (auto ec = platform::MakeFolders(folder)) return ec;
  }
  return platform::ReplaceProfileSection(settingsPath, kKeepSection, values);
}

std::error_code AddKeepEntry(const NativeString& settingsPath, const KeepEntry& entry,
                             bool& added) {
  std::vector<KeepEntry> entries = ReadKeepList(settingsPath);
  added = std::find(entries.begin(), entries.end(), entry) == entries.end();
  if (!added) return {};
  entries.push_back(entry);
  return WriteKeepList(settingsPath, entries);
}

std::error_code RemoveKeepEntry(const NativeString& settingsPath, NativeStringView text,
                                std::size_t& removed) {
  std::vector<KeepEntry> entries = ReadKeepList(settingsPath);
  removed = std::erase_if(entries, [&](const KeepEntry& e) { return e.text == text; });
  if (!removed) return {};
  return WriteKeepList(settingsPath, entries);
}

}  // namespace kelvo::settings
