#include "platform/native_string.h"

namespace kelvo {

NativeString Utf8ToNative(std::string_view utf8) {
  return NativeString(utf8);
}

std::string NativeToUtf8(NativeStringView native) {
  return std::string(native);
}

NativeString AsciiToNative(std::string_view ascii) {
  return NativeString(ascii);
}

}  // namespace kelvo
