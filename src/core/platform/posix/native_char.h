// Native path characters of POSIX systems: paths are bytes, "/" separates components.
#pragma once

namespace kelvo::platform {

using NativeChar = char;
inline constexpr NativeChar kSeparator = '/';

}  // namespace kelvo::platform
