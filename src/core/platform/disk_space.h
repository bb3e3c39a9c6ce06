// The free space of the disk that holds a path, for measuring what a deletion really freed.
#pragma once

#include <cstdint>
#include <system_error>

#include "platform/native_string.h"

namespace kelvo::platform {

// Bytes free on the file system of path (for every user, reserved blocks included, so that what
// a deletion by root frees is seen whole).
[[nodiscard]] std::error_code FreeDiskSpace(const NativeString& path, std::uint64_t& bytes);

}  // namespace kelvo::platform
