// Windows-style initialization files as text: "[section]" lines open sections, "key=value" lines
// hold values. Sections and keys are matched ignoring ASCII case and surrounding blanks; the first
// matching section and key count. Edits touch only the one line they concern, so comments, unknown
// sections, other values and line endings stay byte for byte as they were.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kelvo::text::ini {

// The most bytes of a value that a read returns.
inline constexpr std::size_t kValueLimit = 253;

// The value of key in section, with surrounding blanks and one pair of enclosing quotes removed,
// or nothing when the section or the key is missing.
std::optional<std::string> FindValue(std::string_view text, std::string_view section,
                                     std::string_view key);

// At most kValueLimit bytes of value, without splitting a UTF-8 character at the cut.
std::string LimitValue(std::string_view value);

// Whether section, key and value can be written without changing the file's structure: no line
// breaks or NULs anywhere, no "]" in the section, no "=" in the key, neither empty nor padded with
// blanks, and a key that cannot be taken for a section line.
bool IsWritable(std::string_view section, std::string_view key, std::string_view value);

// The text with key set to value in section: the key's line is replaced (keeping the key's
// spelling in the file), or a line is added after
// the section's last non-blank line, or the section is appended at the end. New lines end the way
// the text's first line ends ("\n" for a text without line ends).
std::string AssignValue(std::string_view text, std::string_view section, std::string_view key,
                        std::string_view value);

using KeyValues = std::vector<std::pair<std::string, std::string>>;

// Every key of section with its value (read as FindValue reads one, without a length limit), in
// file order, from every section of that name (a hand-edited file may hold two); empty when the
// section is missing.
KeyValues SectionValues(std::string_view text, std::string_view section);

// Which keys of a section a writer owns; the others belong to the user.
using KeyOwner = bool (*)(std::string_view key);

// The text with the owned keys of section replaced by the given ones, in order: the owned key
// lines go from every section of that name, every other line (comments, the user's own keys)
// stays, and the new ones follow the first section's header (the section is appended when
// missing). Each value is written in quotes, so blanks at its ends survive the next read.
std::string ReplaceOwnedKeys(std::string_view text, std::string_view section, KeyOwner owned,
                             const KeyValues& values);

}  // namespace kelvo::text::ini
