// Splitting a path at its last separator or its last dot; pure text, no file-system access.
#pragma once

#include <string>
#include <string_view>

#include "platform/native_string.h"

namespace kelvo::scan {

// The text after the last separator, or the whole text when there is none.
template <class CharT>
std::basic_string<CharT> GetFileName(std::basic_string_view<CharT> path, CharT separator) {
  auto pos = path.rfind(separator);
  if (pos == std::basic_string_view<CharT>::npos) return std::basic_string<CharT>(path);
  return std::basic_string<CharT>(path.substr(pos + 1));
}

// The text after the last "." of the whole path (folders included), or the whole text when there
// is no dot at all.
template <class CharT>
std::basic_string<CharT> GetExtension(std::basic_string_view<CharT> path) {
  auto pos = path.rfind(static_cast<CharT>('.'));
  if (pos == std::basic_string_view<CharT>::npos) return std::basic_string<CharT>(path);
  return std::basic_string<CharT>(path.substr(pos + 1));
}

// The text up to its first NUL.
template <class CharT>
std::basic_string<CharT> CutAtNul(std::basic_string_view<CharT> text) {
  auto pos = text.find(CharT{});
  return std::basic_string<CharT>(pos == std::basic_string_view<CharT>::npos ? text
                                                                             : text.substr(0, pos));
}

inline NativeString GetFileName(NativeStringView path) {
  return GetFileName(path, platform::kSeparator);
}
inline NativeString GetExtension(NativeStringView path) {
  return GetExtension<NativeChar>(path);
}
inline NativeString CutAtNul(NativeStringView text) {
  return CutAtNul<NativeChar>(text);
}

}  // namespace kelvo::scan
