#include "text/base64.h"

namespace kelvo::text {

constexpr std::string_view kBase64Alphabet =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

std::string Base64Encode(std::string_view bytes) {
  std::string out;
  out.reserve((bytes.size() + 2) / 3 * 4);
  std::size_t i = 0;
  for (; i + 2 < bytes.size(); i += 3) {
    std::uint32_t v = (static_cast<unsigned char>(bytes[i]) << 16) |
                      (static_cast<unsigned char>(bytes[i + 1]) << 8) |
                      static_cast<unsigned char>(bytes[i + 2]);
    for (int shift : {18, 12, 6, 0}) out.push_back(kBase64Alphabet[(v >> shift) & 63]);
  }
  if (i < bytes.size()) {
    std::uint32_t v = static_cast<unsigned char>(bytes[i]) << 16;
    if (i + 1 < bytes.size()) v |= static_cast<unsigned char>(bytes[i + 1]) << 8;
    out.push_back(kBase64Alphabet[(v >> 18) & 63]);
    out.push_back(kBase64Alphabet[(v >> 12) & 63]);
    out.push_back(i + 1 < bytes.size() ? kBase64Alphabet[(v >> 6) & 63] : '=');
    out.push_back('=');
  }
  return out;
}

Result<std::string, std::string> Base64Decode(std::string_view text) {
  const Unexpected<std::string> notBase64{"not padded base64"};
  if (text.size() % 4 != 0) return notBase64;
  std::string out;
  for (std::size_t i = 0; i < text.size(); i += 4) {
    std::uint32_t v = 0;
    int pad = 0;
    for (std::size_t k = 0; k < 4; ++k) {
      char c = text[i + k];
      if (c == '=' && i + 4 == text.size() && k >= 2) {
        ++pad;
        v <<= 6;
        continue;
      }
      if (pad) return notBase64;
      auto pos = kBase64Alphabet.find(c);
      if (pos == std::string_view::npos) return notBase64;
      v = (v << 6) | static_cast<std::uint32_t>(pos);
    }
    out.push_back(static_cast<char>((v >> 16) & 0xFF));
    if (pad < 2) out.push_back(static_cast<char>((v >> 8) & 0xFF));
    if (pad < 1) out.push_back(static_cast<char>(v & 0xFF));
  }
  return out;
}

}  // namespace kelvo::text
