// Base64 with the standard alphabet and "=" padding, for names that are not valid UTF-8 in JSON.
#pragma once

#include <string>
#include <string_view>

#include "text/result.h"

namespace kelvo::text {

std::string Base64Encode(std::string_view bytes);
// The bytes of text, or a message when text is not padded base64.
Result<std::string, std::string> Base64Decode(std::string_view text);

}  // namespace kelvo::text
