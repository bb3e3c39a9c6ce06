// The one place for taking paths apart and putting them together: file name, parent folder,
// extension, joining and the separator at the end. Pure text, no file-system access.
#pragma once

#include <string>
#include <string_view>

#include "platform/native_string.h"

namespace kelvo::platform {

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
  return GetFileName(path, kSeparator);
}
inline NativeString GetExtension(NativeStringView path) {
  return GetExtension<NativeChar>(path);
}
inline NativeString CutAtNul(NativeStringView text) {
  return CutAtNul<NativeChar>(text);
}

// A separator the platform accepts in a path typed by a user: "/" everywhere, also "\" on Windows.
constexpr bool IsSeparator(NativeChar c) {
  return c == NativeChar('/') || c == kSeparator;
}

// folder with one separator at its end: added when it is missing (an empty folder gets one too).
inline NativeString WithTrailingSeparator(NativeString folder) {
  if (folder.empty() || folder.back() != kSeparator) folder.push_back(kSeparator);
  return folder;
}

// path without the separators at its end; a path of one character (the root "/") is kept.
inline NativeStringView WithoutTrailingSeparators(NativeStringView path) {
  while (path.size() > 1 && path.back() == kSeparator) path.remove_suffix(1);
  return path;
}

// folder, a separator and name: the separator is added whatever folder ends with.
inline NativeString JoinPath(NativeStringView folder, NativeStringView name) {
  NativeString path(folder);
  path += kSeparator;
  path += name;
  return path;
}

// The folder that holds path (separators at its end ignored; "/" counts on Windows too), without
// a separator at its end except for the root; empty when path names no folder.
inline NativeString ParentFolder(NativeStringView path) {
  while (path.size() > 1 && IsSeparator(path.back())) path.remove_suffix(1);
  std::size_t cut = path.size();
  while (cut > 0 && !IsSeparator(path[cut - 1])) --cut;
  if (cut == 0 || path.size() == 1) return {};
  return NativeString(cut == 1 ? path.substr(0, 1) : path.substr(0, cut - 1));
}

}  // namespace kelvo::platform
