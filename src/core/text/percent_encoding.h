// "%XX" escapes: every byte that plain() refuses is written as "%" and two upper-case hex digits.
#pragma once

#include <string>
#include <string_view>

namespace kelvo::text {

template <class Plain>
std::string PercentEncode(std::string_view bytes, Plain plain) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(bytes.size());
  for (unsigned char c : bytes) {
    if (plain(c)) {
      out.push_back(static_cast<char>(c));
    } else {
      out.push_back('%');
      out.push_back(kHex[c >> 4]);
      out.push_back(kHex[c & 0xF]);
    }
  }
  return out;
}

}  // namespace kelvo::text
