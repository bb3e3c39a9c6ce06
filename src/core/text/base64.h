// Base64 with the standard alphabet and "=" padding, for names that are not valid UTF-8 in JSON.
#pragma once

#include <string>
#include <string_view>

namespace kelvo::text {

std::string Base64Encode(std::string_view bytes);
// The bytes of text; ok is false (and the result meaningless) when text is not padded base64.
std::string Base64Decode(std::string_view text, bool& ok);

}  // namespace kelvo::text
