// UTF-16 text as the Windows registry holds it, converted to and from UTF-8, and compared the way
// registry and Windows file names compare: ignoring case.
#pragma once

#include <string>
#include <string_view>

namespace kelvo::text {

// An unpaired surrogate is written as its own three-byte sequence, so that the result converts back
// to the same UTF-16 text.
std::string Utf16ToUtf8(std::u16string_view text);

// The inverse of Utf16ToUtf8. A byte that starts no valid sequence becomes U+FFFD.
std::u16string Utf8ToUtf16(std::string_view text);

// One code unit in lower case: ASCII, Latin-1, Latin Extended-A, Greek, Cyrillic and the
// full-width Latin letters; everything else is returned as it is.
char16_t FoldCase(char16_t c);
std::u16string FoldCase(std::u16string_view text);

inline bool EqualIgnoringCase(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (FoldCase(a[i]) != FoldCase(b[i])) return false;
  return true;
}

}  // namespace kelvo::text
