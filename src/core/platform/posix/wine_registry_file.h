// The registry files of a Wine prefix (system.reg, user.reg): a text header
// "WINE REGISTRY Version 2", then one section per key, "[Software\\Vendor\\Key] <time>", followed
// by its values:
//   "name"="text"               REG_SZ
//   @="text"                    the key's default value
//   "name"=str(2):"text"        a string of another type (2 REG_EXPAND_SZ, 7 REG_MULTI_SZ)
//   "name"=dword:0000002a       REG_DWORD
//   "name"=hex:01,02,\          REG_BINARY; a trailing "\" continues the bytes on the next line
//   "name"=hex(7):61,00,...     bytes of the type in parentheses (hexadecimal)
// Names and strings escape "\\", "\"", control characters and every non-ASCII UTF-16 unit as
// \xNNNN. Lines starting with ";" or "#" (#time, #link, #class, #arch) carry nothing a reader needs
// here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "text/result.h"

namespace kelvo::platform::wine {

struct RegistryValue {
  std::u16string name;  // empty for the default value "@"
  std::uint32_t type = 0;
  std::vector<std::uint8_t> data;  // as the registry stores it: strings are UTF-16LE with their NUL
};

class RegistryKeyRecord {
 public:
  explicit RegistryKeyRecord(std::u16string path) : path_(std::move(path)) {}

  // Relative to the file's root ("Software\Microsoft"), components separated by a single "\".
  const std::u16string& path() const { return path_; }
  // In the order of the file.
  const std::vector<RegistryValue>& values() const { return values_; }
  // Case-insensitive, as the registry compares names; null when there is no such value.
  const RegistryValue* FindValue(std::u16string_view name) const;

  // A value of the same name (ignoring case) is replaced in its place.
  void SetValue(RegistryValue value);

  // Lines of this key's section that could not be read (a malformed value, a line cut short): each
  // may have been a value, so the key's values are known to be incomplete.
  std::size_t unreadableValues() const { return unreadableValues_; }
  void AddUnreadableValue() { ++unreadableValues_; }

 private:
  std::u16string path_;
  std::size_t unreadableValues_ = 0;
  std::vector<RegistryValue> values_;
  std::unordered_map<std::u16string, std::size_t> byFoldedName_;
};

struct ParseProblem {
  std::size_t line = 0;  // 1-based
  std::string message;
};

class WineRegistryFile {
 public:
  // Reads the text of a registry file. A text without the header gives the reason it is refused; a
  // line that cannot be understood (garbage, a value cut short) is skipped and noted in
  // problems(), and counted with the key whose section it is in.
  static Result<WineRegistryFile, std::string> Parse(std::string_view text);

  // The key at path, case-insensitive; "" is the root. A key that only appears as the parent of
  // another key exists, with no values. Null when there is no such key.
  const RegistryKeyRecord* FindKey(std::u16string_view path) const;

  // Every key, sections and implied parents, in the order they first appear.
  const std::vector<RegistryKeyRecord>& keys() const { return keys_; }
  const std::vector<ParseProblem>& problems() const { return problems_; }
  std::size_t problemCount() const { return problemCount_; }  // problems() keeps the first 100

 private:
  friend class WineRegistryParser;
  RegistryKeyRecord& AddKey(const std::u16string& path);
  void AddProblem(std::size_t line, std::string message);

  std::vector<RegistryKeyRecord> keys_;
  std::unordered_map<std::u16string, std::size_t> byFoldedPath_;
  std::vector<ParseProblem> problems_;
  std::size_t problemCount_ = 0;
};

// A quoted name or string of the file, from just after its opening quote: decodes the escapes and
// stops after the closing quote (or the closing bracket of a section name). Returns the number of
// bytes read, or nothing when the closing character is missing. Non-ASCII bytes are read as UTF-8.
std::optional<std::size_t> DecodeEscapedText(std::string_view text, char closing,
                                             std::u16string& out);

}  // namespace kelvo::platform::wine
