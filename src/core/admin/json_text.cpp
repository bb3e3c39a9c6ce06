#include "admin/json_text.h"

#include "text/base64.h"
#include "text/utf8.h"

namespace kelvo::admin {
namespace {

bool IsUtf8(std::string_view bytes) {
  for (std::size_t i = 0; i < bytes.size();) {
    const std::size_t n = text::DecodeUtf8At(bytes, i, text::Surrogates::kRejected).length;
    if (n == 0) return false;
    i += n;
  }
  return true;
}

std::string Lossy(std::string_view bytes) {
  std::string out;
  for (std::size_t i = 0; i < bytes.size();) {
    const std::size_t n = text::DecodeUtf8At(bytes, i, text::Surrogates::kRejected).length;
    if (n == 0) {
      out += "\xEF\xBF\xBD";
      ++i;
    } else {
      out.append(bytes.substr(i, n));
      i += n;
    }
  }
  return out;
}

}  // namespace

void PutNativeText(nlohmann::ordered_json& object, const std::string& key, NativeStringView text) {
  const std::string bytes = NativeToUtf8(text);
  if (IsUtf8(bytes)) {
    object[key] = bytes;
    return;
  }
  object[key] = Lossy(bytes);
  object[key + "_base64"] = text::Base64Encode(bytes);
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
    bool ok = false;
    std::string decoded = text::Base64Decode(exact->get<std::string>(), ok);
    if (!ok) return key + "_base64 is not base64";
    if (Lossy(decoded) != bytes) return key + "_base64 names another " + key + " than " + key;
    bytes = std::move(decoded);
  }
  if (bytes.find('\0') != std::string::npos) return key + " holds a NUL byte";
  out = Utf8ToNative(bytes);
  return std::nullopt;
}

}  // namespace kelvo::admin
