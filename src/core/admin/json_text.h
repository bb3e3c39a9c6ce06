// Texts of the administrator step's json: exact bytes travel as base64 where they are not UTF-8.
#pragma once

#include <nlohmann/json.hpp>

#include <optional>
#include <string>

#include "platform/native_string.h"

namespace kelvo::admin {

// Puts key (lossy UTF-8) and, when the bytes are not UTF-8, key_base64 (exact). The CLI's json
// rows and the administrator step's messages both write texts this way.
void PutTextBytes(nlohmann::ordered_json& object, const std::string& key, std::string_view bytes);
void PutNativeText(nlohmann::ordered_json& object, const std::string& key, NativeStringView text);

// Reads what PutNativeText wrote; an error when missing (unless optional), not a string, or when
// the two keys disagree.
std::optional<std::string> GetNativeText(const nlohmann::json& object, const std::string& key,
                                         NativeString& out, bool optional = false);

}  // namespace kelvo::admin
