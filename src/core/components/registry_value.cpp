#include "components/registry_value.h"

#include <algorithm>
#include <vector>

namespace kelvo::components {
namespace {

// A changing value may grow between the size query and the data query: a few tries.
constexpr int kDataTries = 4;
// No count needs more; a larger value is not read at all.
constexpr std::uint32_t kLargestValue = 64u << 20;

std::u16string TextFromData(const std::vector<std::uint8_t>& data, std::size_t size) {
  std::u16string text;
  for (std::size_t i = 0; i + 1 < size; i += 2) {
    const char16_t c = static_cast<char16_t>(data[i] | (data[i + 1] << 8));
    if (c == u'\0') break;
    text.push_back(c);
  }
  return text;
}

bool IsSpace(char16_t c) {
  return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n';
}
bool IsDigit(char16_t c) {
  return c >= u'0' && c <= u'9';
}
bool IsHexDigit(char16_t c) {
  return IsDigit(c) || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

}  // namespace

platform::RegStatus ReadRegValue(platform::Registry& registry, platform::RegRoot root,
                                 NativeStringView subkey, NativeStringView name, RegValue& out) {
  platform::RegKey key;
  platform::RegStatus status = registry.OpenKey(root, subkey, platform::kKeyRead, key);
  if (status != platform::kRegSuccess) return status;
  platform::ScopedRegKey closer(registry, key);

  std::uint32_t type = platform::kRegNone;
  std::uint32_t size = 0;
  status = registry.QueryValue(key, name, type, {}, size);
  if (status != platform::kRegSuccess) return status;
  if (type < platform::kRegSz || type > platform::kRegDword) return status;

  std::vector<std::uint8_t> data;
  for (int attempt = 0; attempt < kDataTries; ++attempt) {
    if (size > kLargestValue) return platform::kRegMoreData;
    data.assign(std::max<std::uint32_t>(size, 1), 0);
    std::uint32_t got = static_cast<std::uint32_t>(data.size());
    status = registry.QueryValue(key, name, type, data, got);
    size = got;
    if (status != platform::kRegMoreData) break;
  }
  if (status != platform::kRegSuccess) return status;
  if (size > data.size()) size = static_cast<std::uint32_t>(data.size());

  switch (type) {
    case platform::kRegSz:
    case platform::kRegExpandSz:
      out = TextFromData(data, size);
      break;
    case platform::kRegBinary:
    case platform::kRegDword: {
      if (size == 0) break;                                // no bytes: no number
      if (type == platform::kRegDword && size < 4) break;  // cut short: not a number at all
      std::uint32_t number = 0;
      for (std::size_t i = 0; i < 4 && i < size; ++i)
        number |= static_cast<std::uint32_t>(data[i]) << (8 * i);
      out = static_cast<std::int32_t>(number);
      break;
    }
    default:
      break;  // the type changed between the two queries: nothing read
  }
  return status;
}

std::optional<bool> TextIsZero(std::u16string_view text) {
  while (!text.empty() && IsSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsSpace(text.back())) text.remove_suffix(1);
  if (text.size() >= 2 && text[0] == u'&' &&
      (text[1] == u'H' || text[1] == u'h' || text[1] == u'O' || text[1] == u'o')) {
    const bool hex = text[1] == u'H' || text[1] == u'h';
    text.remove_prefix(2);
    if (text.empty()) return std::nullopt;
    bool zero = true;
    for (char16_t c : text) {
      if (hex ? !IsHexDigit(c) : (c < u'0' || c > u'7')) return std::nullopt;
      if (c != u'0') zero = false;
    }
    return zero;
  }
  if (!text.empty() && (text.front() == u'+' || text.front() == u'-')) text.remove_prefix(1);
  bool zero = true;
  std::size_t digits = 0;
  std::size_t i = 0;
  for (; i < text.size() && IsDigit(text[i]); ++i, ++digits)
    if (text[i] != u'0') zero = false;
  if (i < text.size() && text[i] == u'.') {
    for (++i; i < text.size() && IsDigit(text[i]); ++i, ++digits)
      if (text[i] != u'0') zero = false;
  }
  if (digits == 0) return std::nullopt;
  if (i < text.size() && (text[i] == u'e' || text[i] == u'E')) {
    ++i;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) ++i;
    std::size_t exponentDigits = 0;
    for (; i < text.size() && IsDigit(text[i]); ++i) ++exponentDigits;
    if (exponentDigits == 0) return std::nullopt;
  }
  if (i != text.size()) return std::nullopt;
  return zero;
}

bool IsZeroCount(const RegValue& value) {
  if (const auto* number = std::get_if<std::int32_t>(&value)) return *number == 0;
  if (const auto* text = std::get_if<std::u16string>(&value))
    return TextIsZero(*text).value_or(false);
  return false;
}

}  // namespace kelvo::components
