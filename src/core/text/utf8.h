// The one UTF-8 decoder: every reader of UTF-8 text asks here where a character starts and ends,
// so that overlong forms and out-of-range values are refused the same way everywhere.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace kelvo::text {

// Whether an encoded surrogate (U+D800-U+DFFF) counts as a character. Registry text accepts them,
// because unpaired UTF-16 surrogates are written that way; text shown to people does not.
enum class Surrogates : bool { kRejected, kAccepted };

struct Utf8Character {
  char32_t codePoint = 0;
  std::size_t length = 0;  // 0: no well-formed character starts here
};

// The character starting at text[i] (i < text.size()). Overlong forms, values above U+10FFFF and
// truncated sequences give length 0.
Utf8Character DecodeUtf8At(std::string_view text, std::size_t i, Surrogates surrogates);

// Appends the UTF-8 form of one code point.
void AppendUtf8(std::string& out, char32_t c);

// Whether bytes are well-formed UTF-8 without surrogates (text that may be shown as it is).
bool IsValidUtf8(std::string_view bytes);

// bytes with each byte that starts no well-formed character (surrogates included) as U+FFFD.
std::string ToLossyUtf8(std::string_view bytes);

}  // namespace kelvo::text
