#include "admin/json_text.h"

#include "text/base64.h"
#include "text/utf8.h"

namespace kelvo::admin {

void PutTextBytes(nlohmann::ordered_json& object, const std::string& key, std::string_view bytes) {
  if (text::IsValidUtf8(bytes)) {
    object[key] = bytes;
    return;
  }
  object[key] = text::ToLossyUtf8(bytes);
  object[key + "_base64"] = text::Base64Encode(bytes);
}

void PutNativeText(nlohmann::ordered_json& object, const std::string& key, NativeStringView text) {
  PutTextBytes(object, key, NativeToUtf8(text));
}

std::optional<std::string> GetNativeText(const nlohmann::json& object, const std::string& key,
                                         NativeString& out, bool optional) {
  out.clear();
  const auto text = object.find(key);
  if (text == object.end()) return optional ? std::nullopt : std::optional(key + " is missing");
  if (!text->is_string()) return key + " is not a string";
  std::string bytes = text->get<std::string>();
  const auto exact = object.find(key + "_base64");
  if (exact != object.end()) {
    if (!exact->is_string()) return key + "_base64 is not a string";
    auto decoded = text::Base64Decode(exact->get<std::string>());
    if (!decoded) return key + "_base64 is not base64";
    if (text::ToLossyUtf8(*decoded) != bytes)
      return key + "_base64 names another " + key + " than " + key;
    bytes = std::move(*decoded);
  }
  if (bytes.find('\0') != std::string::npos) return key + " holds a NUL byte";
  out = Utf8ToNative(bytes);
  return std::nullopt;
}

}  // namespace kelvo::admin
