// Reading one registry value as a text or a number, and reading a shared-file count from it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <variant>

#include "platform/native_string.h"
#include "platform/registry.h"
#include "text/result.h"

namespace kelvo::components {

// Nothing (not read, or a type other than 1-4), a text (REG_SZ, REG_EXPAND_SZ not expanded, up to
// its first NUL) or a signed 32-bit number (REG_DWORD, REG_BINARY: the first four bytes,
// little-endian; a REG_BINARY of fewer bytes is read as a smaller number, a REG_DWORD of fewer
// bytes is nothing).
using RegValue = std::variant<std::monostate, std::u16string, std::int32_t>;

// Opens subkey under root with read access, reads the named value and closes the key again,
// whatever happened. The value read, or the status of the registry call that failed.
Result<RegValue, platform::RegStatus> ReadRegValue(platform::Registry& registry,
                                                   platform::RegRoot root, NativeStringView subkey,
                                                   NativeStringView name);

// Whether a text reads as a number: spaces around it, an optional sign, decimal digits with an
// optional fraction and exponent, or "&H"/"&O" followed by hexadecimal/octal digits. The result
// tells whether that number is zero; nothing when the text is not a number.
std::optional<bool> TextIsZero(std::u16string_view text);

// Whether a value read is a count of zero: a number 0, or a text that reads as 0. A value that was
// not read, or a text that is not a number, is not.
bool IsZeroCount(const RegValue& value);

}  // namespace kelvo::components
