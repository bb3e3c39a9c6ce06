#include "settings/settings_file.h"

#include <cstdlib>

#include "platform/file_update.h"
#include "platform/known_folders.h"
#include "platform/native_path.h"
#include "platform/profile_file.h"

namespace kelvo::settings {

std::string PatternListKey(int index) {
  return "list" + std::to_string(index);
}

NativeString SettingsFilePath() {
  // One place for both programs, so that the window and kelvo-cli never read different lists.
  if (const char* chosen = std::getenv("KELVO_SETTINGS_FILE"); chosen && *chosen)
    return Utf8ToNative(chosen);
  // The separator is added whatever the folder ends with, as the file has always been found.
  return platform::JoinPath(platform::SettingsFolder(), AsciiToNative("setting.ini"));
}

std::string ReadIniValue(const NativeString& path, std::string_view section, std::string_view key,
                         std::string_view defaultValue) {
  return platform::ReadProfileValue(path, section, key, defaultValue);
}

std::int16_t ParseTipsSwitch(std::string_view value) {
  std::size_t i = 0;
  auto skipBlanks = [&] {
    while (i < value.size() && (value[i] == ' ' || value[i] == '\t' || value[i] == '\n')) ++i;
  };
  auto isDigit = [&] { return i < value.size() && value[i] >= '0' && value[i] <= '9'; };

  skipBlanks();
  bool negative = false;
  if (i < value.size() && (value[i] == '+' || value[i] == '-')) {
    negative = value[i] == '-';
    ++i;
  }
  // Whole part, kept exactly as long as it can still fit; anything longer is out of range.
  long whole = 0;
  bool anyDigit = false;
  for (skipBlanks(); isDigit(); skipBlanks()) {
    anyDigit = true;
    if (whole < 1000000) whole = whole * 10 + (value[i] - '0');
    ++i;
  }
  // The fraction decides the rounding: above, below or exactly at one half.
  int firstFraction = -1;
  bool restNonZero = false;
  skipBlanks();
  if (i < value.size() && value[i] == '.') {
    ++i;
    for (skipBlanks(); isDigit(); skipBlanks()) {
      anyDigit = true;
      int digit = value[i] - '0';
      if (firstFraction < 0) {
        firstFraction = digit;
      } else if (digit != 0) {
        restNonZero = true;
      }
      ++i;
    }
  }
  if (!anyDigit) return 0;
  if (firstFraction > 5 || (firstFraction == 5 && (restNonZero || whole % 2 == 1))) ++whole;
  long result = negative ? -whole : whole;
  if (result < -32768 || result > 32767) return 0;
  return static_cast<std::int16_t>(result);
}

std::int16_t ReadTipsSwitch(const NativeString& path) {
  return ParseTipsSwitch(ReadIniValue(path, kShowSection, kTipsKey, ""));
}

std::error_code WriteIniValue(const NativeString& path, std::string_view section,
                              std::string_view key, std::string_view value) {
  const NativeString folder = platform::ParentFolder(path);
  if (!folder.empty()) {
    if (auto ec = platform::MakeFolders(folder)) return ec;
  }
  return platform::WriteProfileValue(path, section, key, value);
}

}  // namespace kelvo::settings
