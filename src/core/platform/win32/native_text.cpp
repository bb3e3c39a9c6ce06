// UTF-8 <-> UTF-16 for Windows paths and texts.
#include <windows.h>

#include <climits>

#include "platform/native_string.h"

namespace kelvo {

NativeString Utf8ToNative(std::string_view utf8) {
  if (utf8.empty()) return {};
  if (utf8.size() > INT_MAX) return {};
  const int inLength = static_cast<int>(utf8.size());
  // Without MB_ERR_INVALID_CHARS a malformed sequence becomes U+FFFD instead of failing the call.
  const int outLength = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), inLength, nullptr, 0);
  if (outLength <= 0) return {};
  NativeString out(static_cast<std::size_t>(outLength), L'\0');
  ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), inLength, out.data(), outLength);
  return out;
}

namespace {

bool IsHighSurrogate(wchar_t c) {
  return c >= 0xD800 && c <= 0xDBFF;
}
bool IsLowSurrogate(wchar_t c) {
  return c >= 0xDC00 && c <= 0xDFFF;
}

// A copy with every unpaired surrogate replaced by U+FFFD, so the result does not depend on how a
// given Windows version converts them; empty when there is nothing to replace.
NativeString WithoutUnpairedSurrogates(NativeStringView text) {
  NativeString out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const wchar_t c = text[i];
    const bool paired = IsHighSurrogate(c) && i + 1 < text.size() && IsLowSurrogate(text[i + 1]);
    if (paired) {
      ++i;
      continue;
    }
    if (IsHighSurrogate(c) || IsLowSurrogate(c)) {
      if (out.empty()) out.assign(text);
      out[i] = 0xFFFD;
    }
  }
  return out;
}

}  // namespace

std::string NativeToUtf8(NativeStringView native) {
  if (native.empty()) return {};
  if (native.size() > INT_MAX) return {};
  const NativeString repaired = WithoutUnpairedSurrogates(native);
  if (!repaired.empty()) native = repaired;
  const int inLength = static_cast<int>(native.size());
  const int outLength =
      ::WideCharToMultiByte(CP_UTF8, 0, native.data(), inLength, nullptr, 0, nullptr, nullptr);
  if (outLength <= 0) return {};
  std::string out(static_cast<std::size_t>(outLength), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, native.data(), inLength, out.data(), outLength, nullptr,
                        nullptr);
  return out;
}

NativeString AsciiToNative(std::string_view ascii) {
  NativeString out;
  out.reserve(ascii.size());
  for (char c : ascii) out.push_back(static_cast<wchar_t>(static_cast<unsigned char>(c)));
  return out;
}

}  // namespace kelvo
