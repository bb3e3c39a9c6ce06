// Our own profile functions: the text logic of ini_text over an atomic whole-file update.
#include "platform/file_update.h"
#include "platform/profile_file.h"
#include "text/ini_text.h"

namespace kelvo::platform {

std::string ReadProfileValue(const NativeString& path, std::string_view section,
                             std::string_view key, std::string_view defaultValue) {
  const auto text = ReadWholeFile(path);
  if (!text) return text::ini::LimitValue(defaultValue);
  auto value = text::ini::FindValue(*text, section, key);
  return text::ini::LimitValue(value ? *value : defaultValue);
}

std::error_code WriteProfileValue(const NativeString& path, std::string_view section,
                                  std::string_view key, std::string_view value) {
  if (!text::ini::IsWritable(section, key, value)) {
    return std::make_error_code(std::errc::invalid_argument);
  }
  return UpdateFileAtomically(
      path, [&](std::string_view current, bool existed) -> std::optional<std::string> {
        std::string next = text::ini::AssignValue(current, section, key, value);
        if (existed && next == current) return std::nullopt;
        return next;
      });
}

Result<std::vector<std::pair<std::string, std::string>>> ReadProfileSection(
    const NativeString& path, std::string_view section) {
  const auto text = ReadWholeFile(path);
  if (!text) {
    if (text.error() == std::errc::no_such_file_or_directory) return text::ini::KeyValues{};
    return Fail(text.error());
  }
  return text::ini::SectionValues(*text, section);
}

std::error_code ReplaceOwnedProfileKeys(
    const NativeString& path, std::string_view section, ProfileKeyOwner owned,
    const std::vector<std::pair<std::string, std::string>>& values) {
  for (const auto& [key, value] : values)
    if (!text::ini::IsWritable(section, key, value) || !owned(key))
      return std::make_error_code(std::errc::invalid_argument);
  return UpdateFileAtomically(
      path, [&](std::string_view current, bool existed) -> std::optional<std::string> {
        std::string next = text::ini::ReplaceOwnedKeys(current, section, owned, values);
        if (existed && next == current) return std::nullopt;
        return next;
      });
}

}  // namespace kelvo::platform
