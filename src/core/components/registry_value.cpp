#include "components/registry_value.h"

#include <vector>

namespace kelvo::components {
namespace {

std::u16string TextFromData(const std::vector<std::uint8_t>& data) {
  std::u16string text;
  for (std::size_t i = 0; i + 1 < data.size(); i += 2) {
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

Result<RegValue, platform::RegStatus> ReadRegValue(platform::Registry& registry,
                                                   platform::RegRoot root, NativeStringView subkey,
                                                   NativeStringView name) {
  const auto key = registry.OpenKey(root, subkey, platform::kKeyRead);
  if (!key) return Unexpected{key.error()};
  platform::ScopedRegKey closer(registry, *key);
  const auto entry = registry.Value(*key, name);
  if (!entry) return Unexpected{entry.error()};

  const std::vector<std::uint8_t>& data = entry->data;
  switch (entry->type) {
    case platform::kRegSz:
    case platform::kRegExpandSz:
      return RegValue{TextFromData(data)};
    case platform::kRegBinary:
    case platform::kRegDword: {
      if (data.empty()) break;                                           // no bytes: no number
      if (entry->type == platform::kRegDword && data.size() < 4) break;  // cut short: not a number
      std::uint32_t number = 0;
      for (std::size_t i = 0; i < 4 && i < data.size(); ++i)
        number |= static_cast<std::uint32_t>(data[i]) << (8 * i);
      return RegValue{static_cast<std::int32_t>(number)};
    }
    default:
      break;  // another type: nothing read
  }
  return RegValue{};
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
