// The keep-list in the settings file: section "keep", one key per entry ("folder0", "pattern1",
// ... numbered in list order), each written with the same atomic update as every other key. Bytes
// outside printable ASCII, and "%", are stored as "%XX". Only those keys are Kelvo's: the user's
// own lines in the section stay, and the entries of every "keep" section count.
#pragma once

#include <optional>
#include <string_view>
#include <system_error>
#include <vector>

#include "platform/native_string.h"
#include "text/result.h"

namespace kelvo::settings {

inline constexpr std::string_view kKeepSection = "keep";

struct KeepEntry {
  enum class Kind { kFolder, kPattern };
  Kind kind = Kind::kFolder;
  NativeString text;
  bool operator==(const KeepEntry&) const = default;
};

// The stored entries in order; keys of another form are passed over. A missing file or section is
// an empty list; a file that is there but cannot be read (no permission, too large, a folder, a
// FIFO or a device, behind a link of another user) is an error, never an empty list, since a
// deletion must not go on without the list the user stored.
Result<std::vector<KeepEntry>, std::error_code> ReadKeepList(const NativeString& settingsPath);

// Replaces the stored list in one write; other sections, keys and lines stay as they are.
[[nodiscard]] std::error_code WriteKeepList(const NativeString& settingsPath,
                                            const std::vector<KeepEntry>& entries);

// Adds an entry unless the same one is stored already (added is then false). A pattern with a
// flaw (see PatternFlawOf) is refused with std::errc::invalid_argument.
[[nodiscard]] std::error_code AddKeepEntry(const NativeString& settingsPath, const KeepEntry& entry,
                                           bool& added);

// Removes every entry whose text is text, folder or pattern (removed tells how many).
[[nodiscard]] std::error_code RemoveKeepEntry(const NativeString& settingsPath,
                                              NativeStringView text, std::size_t& removed);

// Why a keep pattern can never match a path on disk, whose paths are canonical: an empty, "." or
// ".." component (as in "a//b", "./x", "x/../y"), or a "[" class that is not closed.
enum class PatternFlaw { kEmpty, kEmptyComponent, kDotComponent, kUnclosedClass };
std::optional<PatternFlaw> PatternFlawOf(NativeStringView pattern);
// The flaw in words, for the command line.
std::string_view PatternFlawText(PatternFlaw flaw);

}  // namespace kelvo::settings
