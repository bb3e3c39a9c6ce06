// The settings file "setting.ini": where it lives, one read or one write of a value per call, and
// the tips switch, the one value read back at start.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <system_error>

#include "platform/native_string.h"

namespace kelvo::settings {

// The sections and keys the program writes. Pattern list entry n is key "list" + n in "list1".
inline constexpr std::string_view kShowSection = "show";
inline constexpr std::string_view kTipsKey = "ts";
inline constexpr std::string_view kCheckSection = "check";
inline constexpr std::string_view kBootCleanupKey = "check1";
inline constexpr std::string_view kAllTempFoldersKey = "check2";
inline constexpr std::string_view kConfirmDeletionKey = "confirm";
inline constexpr std::string_view kTrashKey = "trash";  // deletions go to the trash when "1"
inline constexpr std::string_view kPatternListSection = "list1";
std::string PatternListKey(int index);

// Windows: the program folder followed by "\setting.ini" (with two backslashes in a row when the
// program runs from a drive root). Linux: $XDG_CONFIG_HOME/kelvo/setting.ini, by default
// ~/.config/kelvo/setting.ini. The environment variable KELVO_SETTINGS_FILE, when set and not
// empty, names another file instead, for the window and the command line alike.
NativeString SettingsFilePath();

// The value of key in section, at most 253 bytes, or defaultValue when the file, the section or
// the key is missing. Only the value is returned, without the terminating NUL or filler.
std::string ReadIniValue(const NativeString& path, std::string_view section, std::string_view key,
                         std::string_view defaultValue);

// Reads a number from the start of value leniently (blanks, tabs and line feeds skipped wherever
// they stand; optional sign, digits, optional decimal part; a NUL or any other character ends it;
// no number gives 0), rounds it to the nearest whole number with halves to the even neighbour, and
// gives 0 when the result does not fit a signed 16-bit integer.
std::int16_t ParseTipsSwitch(std::string_view value);

// The tips switch of the file at path ("show"/"ts", default ""); the tips are shown when it is 1.
std::int16_t ReadTipsSwitch(const NativeString& path);

// Sets key in section to value, creating the file's folder, the file and the section when missing;
// every other line of the file stays byte for byte. A failure leaves the old file and is returned.
[[nodiscard]] std::error_code WriteIniValue(const NativeString& path, std::string_view section,
                                            std::string_view key, std::string_view value);

}  // namespace kelvo::settings
