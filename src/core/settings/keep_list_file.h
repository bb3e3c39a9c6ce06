// The keep-list in the settings file: section "keep", one key per entry ("folder0", "pattern1",
// ... numbered in list order), each written with the same atomic update as every other key. Bytes
// outside printable ASCII, and "%", are stored as "%XX".
#pragma once

#include <string_view>
#include <system_error>
#include <vector>

#include "platform/native_string.h"

namespace kelvo::settings {

inline constexpr std::string_view kKeepSection = "keep";

struct KeepEntry {
  enum class Kind { kFolder, kPattern };
  Kind kind = Kind::kFolder;
  NativeString text;
  bool operator==(const KeepEntry&) const = default;
};

// The stored entries in order; keys of another form are passed over.
std::vector<KeepEntry> ReadKeepList(const NativeString& settingsPath);

// Replaces the stored list in one write; other sections and keys stay as they are.
[[nodiscard]] std::error_code WriteKeepList(const NativeString& settingsPath,
                                            const std::vector<KeepEntry>& entries);

// Adds an entry unless the same one is stored already (added is then false).
[[nodiscard]] std::error_code AddKeepEntry(const NativeString& settingsPath, const KeepEntry& entry,
                                           bool& added);

// Removes every entry whose text is text, folder or pattern (removed tells how many).
[[nodiscard]] std::error_code RemoveKeepEntry(const NativeString& settingsPath,
                                              NativeStringView text, std::size_t& removed);

}  // namespace kelvo::settings
