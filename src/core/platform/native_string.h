// Paths and names as the platform stores them: bytes on POSIX, UTF-16 on Windows.
#pragma once

#include <string>
#include <string_view>

#include "platform/native_char.h"  // the back end's, chosen by the build

namespace kelvo {

using NativeChar = platform::NativeChar;
using NativeString = std::basic_string<NativeChar>;
using NativeStringView = std::basic_string_view<NativeChar>;

// UTF-8 text (our literals, user input) in the native form. On POSIX the bytes are kept as they
// are.
NativeString Utf8ToNative(std::string_view utf8);

// Native text as UTF-8 bytes. On POSIX the bytes are returned as they are, valid UTF-8 or not, so a
// name survives the round trip; on Windows unpaired surrogates become U+FFFD.
std::string NativeToUtf8(NativeStringView native);

// Plain ASCII text in the native form, for fixed markers and separators.
NativeString AsciiToNative(std::string_view ascii);

}  // namespace kelvo
