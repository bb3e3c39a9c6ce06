// Native path characters of Windows: paths are UTF-16, "\" separates components.
#pragma once

namespace kelvo::platform {

using NativeChar = wchar_t;
inline constexpr NativeChar kSeparator = L'\\';

}  // namespace kelvo::platform
