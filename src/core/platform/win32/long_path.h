// Paths in the form that the wide API accepts beyond MAX_PATH: absolute, normalised, and prefixed
// with "\\?\" ("\\?\UNC\" for network shares).
#pragma once

#include <system_error>

#include "platform/native_string.h"

namespace kelvo::platform {

// An empty result and ec set when the path cannot be made absolute.
NativeString ToLongPath(const NativeString& path, std::error_code& ec);

}  // namespace kelvo::platform
