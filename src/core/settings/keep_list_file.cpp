#include "settings/keep_list_file.h"

#include <algorithm>
#include <string>

#include "platform/file_update.h"
#include "platform/native_path.h"
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

bool IsKeepKey(std::string_view key) {
  return IsNumbered(key, kFolderKey) || IsNumbered(key, kPatternKey);
}

constexpr bool kWindowsPaths = platform::kSeparator == NativeChar('\\');

using platform::IsSeparator;

// Where the "[" class at pat[i] ends (past its "]"), read as the glob matcher reads it, or npos
// when it is not closed.
std::size_t ClassEnd(NativeStringView pat, std::size_t i) {
  const bool escapes = !kWindowsPaths;
  ++i;
  if (i < pat.size() && (pat[i] == NativeChar('!') || pat[i] == NativeChar('^'))) ++i;
  bool first = true;
  while (i < pat.size() && (first || pat[i] != NativeChar(']'))) {
    first = false;
    if (escapes && pat[i] == NativeChar('\\') && i + 1 < pat.size()) ++i;
    ++i;
    if (i + 1 < pat.size() && pat[i] == NativeChar('-') && pat[i + 1] != NativeChar(']')) {
      if (escapes && pat[i + 1] == NativeChar('\\') && i + 2 < pat.size()) ++i;
      i += 2;
    }
  }
  return i < pat.size() ? i + 1 : NativeStringView::npos;
}

std::optional<PatternFlaw> ComponentFlaw(NativeStringView part) {
  if (part.empty()) return PatternFlaw::kEmptyComponent;
  if (part == AsciiToNative(".") || part == AsciiToNative("..")) return PatternFlaw::kDotComponent;
  for (std::size_t i = 0; i < part.size();) {
    if (!kWindowsPaths && part[i] == NativeChar('\\')) {
      i += 2;
    } else if (part[i] == NativeChar('[')) {
      i = ClassEnd(part, i);
      if (i == NativeStringView::npos) return PatternFlaw::kUnclosedClass;
    } else {
      ++i;
    }
  }
  return std::nullopt;
}

}  // namespace

Result<std::vector<KeepEntry>, std::error_code> ReadKeepList(const NativeString& settingsPath) {
  const auto values = platform::ReadProfileSection(settingsPath, kKeepSection);
  if (!values) return Fail(values.error());
  std::vector<KeepEntry> entries;
  for (const auto& [key, value] : *values) {
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
  const NativeString folder = platform::ParentFolder(settingsPath);
  if (!folder.empty()) {
    if (auto ec = platform::MakeFolders(folder)) return ec;
  }
  return platform::ReplaceOwnedProfileKeys(settingsPath, kKeepSection, IsKeepKey, values);
}

std::error_code AddKeepEntry(const NativeString& settingsPath, const KeepEntry& entry,
                             bool& added) {
  added = false;
  if (entry.kind == KeepEntry::Kind::kPattern && PatternFlawOf(entry.text))
    return std::make_error_code(std::errc::invalid_argument);
  auto entries = ReadKeepList(settingsPath);
  if (!entries) return entries.error();
  added = std::find(entries->begin(), entries->end(), entry) == entries->end();
  if (!added) return {};
  entries->push_back(entry);
  if (auto ec = WriteKeepList(settingsPath, *entries)) {
    added = false;
    return ec;
  }
  return {};
}

std::error_code RemoveKeepEntry(const NativeString& settingsPath, NativeStringView text,
                                std::size_t& removed) {
  removed = 0;
  auto entries = ReadKeepList(settingsPath);
  if (!entries) return entries.error();
  const std::size_t found =
      std::erase_if(*entries, [&](const KeepEntry& e) { return e.text == text; });
  if (!found) return {};
  if (auto ec = WriteKeepList(settingsPath, *entries)) return ec;
  removed = found;
  return {};
}

std::optional<PatternFlaw> PatternFlawOf(NativeStringView pattern) {
  while (pattern.size() > 1 && IsSeparator(pattern.back())) pattern.remove_suffix(1);
  if (pattern.empty()) return PatternFlaw::kEmpty;
  // The top of the file system: "/" on POSIX; a drive, "\\server" or "\\?\" on Windows.
  std::size_t start = 0;
  if (IsSeparator(pattern[0]))
    start = kWindowsPaths && pattern.size() > 1 && IsSeparator(pattern[1]) ? 2 : 1;
  if (start >= pattern.size()) return std::nullopt;
  // Components split as the matcher splits them: an escaped character never separates.
  std::size_t begin = start;
  for (std::size_t i = start; i <= pattern.size(); ++i) {
    if (i + 1 < pattern.size() && !kWindowsPaths && pattern[i] == NativeChar('\\')) {
      ++i;
      continue;
    }
    if (i < pattern.size() && !IsSeparator(pattern[i])) continue;
    if (auto flaw = ComponentFlaw(pattern.substr(begin, i - begin))) return flaw;
    begin = i + 1;
  }
  return std::nullopt;
}

std::string_view PatternFlawText(PatternFlaw flaw) {
  switch (flaw) {
    case PatternFlaw::kEmpty:
      return "the pattern is empty";
    case PatternFlaw::kEmptyComponent:
      return "an empty component (\"//\") never matches a path on disk";
    case PatternFlaw::kDotComponent:
      return "a \".\" or \"..\" component never matches a path on disk (paths are canonical)";
    case PatternFlaw::kUnclosedClass:
      return "a \"[\" class is not closed with \"]\"";
  }
  return "the pattern never matches";
}

}  // namespace kelvo::settings
