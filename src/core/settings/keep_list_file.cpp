#include "settings/keep_list_file.h"

#include <algorithm>
#include <string>

#include "platform/file_update.h"
#include "platform/profile_file.h"

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

NativeString ParentFolder(const NativeString& path) {
  const NativeChar separators[] = {platform::kSeparator, NativeChar('/'), NativeChar()};
  auto pos = path.find_last_of(separators);
  if (pos == NativeString::npos || pos == 0) return {};
  return path.substr(0, pos);
}

}  // namespace

std::vector<KeepEntry> ReadKeepList(const NativeString& settingsPath) {
  std::vector<KeepEntry> entries;
  for (const auto& [key, value] : platform::ReadProfileSection(settingsPath, kKeepSection)) {
    if (value.empty()) continue;
    if (IsNumbered(key, kFolderKey))
      entries.push_back({KeepEntry::Kind::kFolder, Utf8ToNative(value)});
    else if (IsNumbered(key, kPatternKey))
      entries.push_back({KeepEntry::Kind::kPattern, Utf8ToNative(value)});
  }
  return entries;
}

std::error_code WriteKeepList(const NativeString& settingsPath,
                              const std::vector<KeepEntry>& entries) {
  std::vector<std::pair<std::string, std::string>> values;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const bool folder = entries[i].kind == KeepEntry::Kind::kFolder;
    values.emplace_back(std::string(folder ? kFolderKey : kPatternKey) + std::to_string(i),
                        NativeToUtf8(entries[i].text));
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
