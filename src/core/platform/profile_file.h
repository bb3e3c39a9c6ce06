// The platform's initialization-file ("profile") functions: one read or one write of one value, the
// file opened, read or rewritten and closed by each call. Sections and keys are matched ignoring
// case. Texts are UTF-8 here; the file itself keeps whatever bytes it holds.
#pragma once

#include <string>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

#include "platform/native_string.h"
#include "text/result.h"

namespace kelvo::platform {

// The value of key in section of the file at path, at most 253 bytes of it, or defaultValue (cut
// the same way) when the file, the section or the key is missing or the file cannot be read.
std::string ReadProfileValue(const NativeString& path, std::string_view section,
                             std::string_view key, std::string_view defaultValue);

// Sets key in section to value, creating the file and the section when missing and leaving every
// other line as it was. The folder must exist. A value that would break the file's structure (a
// line break, for one) is refused with std::errc::invalid_argument; other failures give their
// reason, and the file then keeps its previous content.
[[nodiscard]] std::error_code WriteProfileValue(const NativeString& path, std::string_view section,
                                                std::string_view key, std::string_view value);

// Every key of section with its value, in file order, from every section of that name (no length
// limit); empty when the file or the section is missing. A file that is there but cannot be read
// (no permission, too large, not a regular file, behind a foreign link) gives its error.
Result<std::vector<std::pair<std::string, std::string>>> ReadProfileSection(
    const NativeString& path, std::string_view section);

// Which keys of a section the writer owns.
using ProfileKeyOwner = bool (*)(std::string_view key);

// Replaces the owned keys of section with the given ones in one write; every other line of the
// section (comments, keys of the user's own) and every other section stays. A key or value that
// would break the file's structure is refused with std::errc::invalid_argument.
[[nodiscard]] std::error_code ReplaceOwnedProfileKeys(
    const NativeString& path, std::string_view section, ProfileKeyOwner owned,
    const std::vector<std::pair<std::string, std::string>>& values);

}  // namespace kelvo::platform
