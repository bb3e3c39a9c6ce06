#include "platform/posix/wine_registry_file.h"

#include "text/utf16_text.h"
#include "text/utf8.h"

namespace kelvo::platform::wine {
namespace {

constexpr std::string_view kHeader = "WINE REGISTRY Version ";
constexpr std::size_t kKeptProblems = 100;

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

using text::FoldCase;

// One UTF-8 character at text[i] as UTF-16 units; returns the bytes used (U+FFFD for one bad byte).
std::size_t DecodeUtf8At(std::string_view text, std::size_t i, std::u16string& out) {
  const text::Utf8Character decoded = text::DecodeUtf8At(text, i, text::Surrogates::kAccepted);
  if (decoded.length == 0) {
    out.push_back(u'\uFFFD');
    return 1;
  }
  out += text::Utf8ToUtf16(text.substr(i, decoded.length));
  return decoded.length;
}

void AppendUtf16Le(std::vector<std::uint8_t>& data, std::u16string_view text) {
  for (char16_t c : text) {
    data.push_back(static_cast<std::uint8_t>(c & 0xFF));
    data.push_back(static_cast<std::uint8_t>(c >> 8));
  }
}

std::string_view TrimEnd(std::string_view s) {
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
    s.remove_suffix(1);
  return s;
}

std::string_view TrimStart(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  return s;
}

// Reads up to maxDigits hexadecimal digits; nothing when there is none or the number is too large.
std::optional<std::uint32_t> ReadHexNumber(std::string_view& s, std::size_t maxDigits) {
  std::uint32_t value = 0;
  std::size_t digits = 0;
  while (digits < s.size() && HexDigit(s[digits]) >= 0) {
    if (digits == maxDigits) return std::nullopt;
    value = value * 16 + static_cast<std::uint32_t>(HexDigit(s[digits]));
    ++digits;
  }
  if (digits == 0) return std::nullopt;
  s.remove_prefix(digits);
  return value;
}

}  // namespace

std::optional<std::size_t> DecodeEscapedText(std::string_view text, char closing,
                                             std::u16string& out) {
  std::size_t i = 0;
  while (i < text.size()) {
    const char c = text[i];
    if (c == closing) return i + 1;
    if (static_cast<unsigned char>(c) >= 0x80) {
      i += DecodeUtf8At(text, i, out);
      continue;
    }
    if (c != '\\') {
      out.push_back(static_cast<char16_t>(c));
      ++i;
      continue;
    }
    if (i + 1 >= text.size()) return std::nullopt;  // a backslash ending the line
    const char e = text[i + 1];
    i += 2;
    switch (e) {
      case 'a':
        out.push_back(u'\a');
        break;
      case 'b':
        out.push_back(u'\b');
        break;
      case 'e':
        out.push_back(u'\x1b');
        break;
      case 'f':
        out.push_back(u'\f');
        break;
      case 'n':
        out.push_back(u'\n');
        break;
      case 'r':
        out.push_back(u'\r');
        break;
      case 't':
        out.push_back(u'\t');
        break;
      case 'v':
        out.push_back(u'\v');
        break;
      case 'x': {
        std::uint32_t unit = 0;
        std::size_t digits = 0;
        while (digits < 4 && i < text.size() && HexDigit(text[i]) >= 0) {
          unit = unit * 16 + static_cast<std::uint32_t>(HexDigit(text[i]));
          ++i;
          ++digits;
        }
        out.push_back(digits ? static_cast<char16_t>(unit) : u'x');
        break;
      }
      default:
        if (e >= '0' && e <= '7') {
          std::uint32_t unit = static_cast<std::uint32_t>(e - '0');
          for (int more = 0; more < 2 && i < text.size() && text[i] >= '0' && text[i] <= '7';
               ++more, ++i)
            unit = unit * 8 + static_cast<std::uint32_t>(text[i] - '0');
          out.push_back(static_cast<char16_t>(unit));
        } else if (static_cast<unsigned char>(e) >= 0x80) {
          i -= 1;  // an escaped multi-byte character stands for itself
          i += DecodeUtf8At(text, i, out);
        } else {
          out.push_back(static_cast<char16_t>(e));  // \\, \", \[, \] ...
        }
    }
  }
  return std::nullopt;
}

const RegistryValue* RegistryKeyRecord::FindValue(std::u16string_view name) const {
  auto it = byFoldedName_.find(FoldCase(name));
  return it == byFoldedName_.end() ? nullptr : &values_[it->second];
}

void RegistryKeyRecord::SetValue(RegistryValue value) {
  auto [it, added] = byFoldedName_.emplace(FoldCase(value.name), values_.size());
  if (added)
    values_.push_back(std::move(value));
  else
    values_[it->second] = std::move(value);
}

RegistryKeyRecord& WineRegistryFile::AddKey(const std::u16string& path) {
  // The parents first, so that every key of the file can be opened step by step.
  for (std::size_t pos = path.find(u'\\'); pos != std::u16string::npos;
       pos = path.find(u'\\', pos + 1)) {
    std::u16string parent = path.substr(0, pos);
    if (byFoldedPath_.emplace(FoldCase(parent), keys_.size()).second) keys_.emplace_back(parent);
  }
  auto [it, added] = byFoldedPath_.emplace(FoldCase(path), keys_.size());
  if (added) keys_.emplace_back(path);
  return keys_[it->second];
}

void WineRegistryFile::AddProblem(std::size_t line, std::string message) {
  ++problemCount_;
  if (problems_.size() < kKeptProblems) problems_.push_back({line, std::move(message)});
}

const RegistryKeyRecord* WineRegistryFile::FindKey(std::u16string_view path) const {
  auto it = byFoldedPath_.find(FoldCase(path));
  return it == byFoldedPath_.end() ? nullptr : &keys_[it->second];
}

// Reads the file line by line; one instance per parse.
class WineRegistryParser {
 public:
  WineRegistryParser(std::string_view text, WineRegistryFile& file) : text_(text), file_(file) {}

  bool Run(std::string& error) {
    std::string_view header;
    if (!NextLine(header) || header.substr(0, kHeader.size()) != kHeader) {
      error = "not a Wine registry file (no \"WINE REGISTRY Version\" header)";
      return false;
    }
    if (TrimEnd(header.substr(kHeader.size())) != "2") {
      error = "unsupported Wine registry version \"" +
              std::string(TrimEnd(header.substr(kHeader.size()))) + "\"";
      return false;
    }
    file_.AddKey(u"");
    std::string_view line;
    while (NextLine(line)) {
      line = TrimEnd(line);
      if (line.empty() || line[0] == ';' || line[0] == '#') continue;
      if (line[0] == '[')
        ReadSection(line.substr(1));
      else if (line[0] == '"' || line[0] == '@')
        ReadValue(line);
      else
        Problem("line not understood");
    }
    return true;
  }

 private:
  bool NextLine(std::string_view& line) {
    if (pos_ >= text_.size()) return false;
    std::size_t end = text_.find('\n', pos_);
    if (end == std::string_view::npos) end = text_.size();
    line = text_.substr(pos_, end - pos_);
    pos_ = end + 1;
    ++lineNumber_;
    return true;
  }

  // Looks at the next line without taking it.
  std::optional<std::string_view> PeekLine() const {
    if (pos_ >= text_.size()) return std::nullopt;
    std::size_t end = text_.find('\n', pos_);
    if (end == std::string_view::npos) end = text_.size();
    return text_.substr(pos_, end - pos_);
  }

  void Problem(std::string message) {
    if (key_) key_->AddUnreadableValue();
    file_.AddProblem(lineNumber_, std::move(message));
  }

  void ReadSection(std::string_view rest) {
    key_ = nullptr;
    std::u16string path;
    auto used = DecodeEscapedText(rest, ']', path);
    if (!used) {
      Problem("key name without its closing \"]\"; its values are skipped");
      return;
    }
    std::string_view after = TrimStart(rest.substr(*used));
    for (char c : after) {
      if (c < '0' || c > '9') {
        Problem("unexpected text after the key name; its values are skipped");
        return;
      }
    }
    if (path.empty() || path.front() == u'\\' || path.back() == u'\\' ||
        path.find(u"\\\\") != std::u16string::npos) {
      Problem("key name with an empty component; its values are skipped");
      return;
    }
    key_ = &file_.AddKey(path);
  }

  void ReadValue(std::string_view line) {
    RegistryValue value;
    std::string_view rest = line;
    if (rest[0] == '@') {
      rest.remove_prefix(1);
    } else {
      auto used = DecodeEscapedText(rest.substr(1), '"', value.name);
      if (!used) return Problem("value name without its closing quote");
      rest.remove_prefix(1 + *used);
    }
    if (rest.empty() || rest[0] != '=') return Problem("value name not followed by \"=\"");
    rest.remove_prefix(1);
    if (!ReadData(rest, value)) return;
    if (!key_) return Problem("value outside a readable key");
    key_->SetValue(std::move(value));
  }

  bool ReadData(std::string_view rest, RegistryValue& value) {
    if (!rest.empty() && rest[0] == '"') {
      value.type = 1;
      return ReadString(rest.substr(1), value);
    }
    if (rest.substr(0, 4) == "str(") {
      rest.remove_prefix(4);
      auto type = ReadHexNumber(rest, 8);
      if (!type || rest.substr(0, 3) != "):\"") return Fail("malformed str(N): value");
      value.type = *type;
      return ReadString(rest.substr(3), value);
    }
    if (rest.substr(0, 6) == "dword:") {
      rest.remove_prefix(6);
      // Always eight digits: fewer is a cut line.
      auto number = rest.size() == 8 ? ReadHexNumber(rest, 8) : std::nullopt;
      if (!number || !rest.empty()) return Fail("malformed dword value");
      value.type = 4;
      for (int shift = 0; shift < 32; shift += 8)
        value.data.push_back(static_cast<std::uint8_t>((*number >> shift) & 0xFF));
      return true;
    }
    if (rest.substr(0, 4) == "hex:") {
      value.type = 3;
      return ReadHexBytes(rest.substr(4), value);
    }
    if (rest.substr(0, 4) == "hex(") {
      rest.remove_prefix(4);
      auto type = ReadHexNumber(rest, 8);
      if (!type || rest.substr(0, 2) != "):") return Fail("malformed hex(N): value");
      value.type = *type;
      return ReadHexBytes(rest.substr(2), value);
    }
    return Fail("value data of an unknown form");
  }

  bool ReadString(std::string_view rest, RegistryValue& value) {
    std::u16string text;
    auto used = DecodeEscapedText(rest, '"', text);
    if (!used) return Fail("string without its closing quote");
    if (!TrimStart(rest.substr(*used)).empty()) return Fail("unexpected text after a string");
    AppendUtf16Le(value.data, text);
    AppendUtf16Le(value.data, std::u16string_view(u"\0", 1));
    return true;
  }

  // Bytes "aa,bb,..." of two digits each; a line ending in "\" continues on the next line. A comma
  // ending the data, or a single digit, is how a cut file ends: refused.
  bool ReadHexBytes(std::string_view rest, RegistryValue& value) {
    rest = TrimStart(rest);
    if (rest.empty()) return true;
    for (;;) {
      if (rest == "\\") {
        auto next = PeekLine();
        if (!next) return Fail("hex data continued past the end of the file");
        std::string_view trimmed = TrimStart(*next);
        if (trimmed.empty() || trimmed[0] == '[' || trimmed[0] == '"' || trimmed[0] == '@')
          return Fail("hex data continued on a line that does not hold bytes");
        std::string_view line;
        NextLine(line);
        rest = TrimStart(TrimEnd(line));
        continue;
      }
      if (rest.size() < 2 || HexDigit(rest[0]) < 0 || HexDigit(rest[1]) < 0)
        return Fail("malformed hex data");
      value.data.push_back(static_cast<std::uint8_t>(HexDigit(rest[0]) * 16 + HexDigit(rest[1])));
      rest = TrimStart(rest.substr(2));
      if (rest.empty()) return true;
      if (rest[0] != ',') return Fail("malformed hex data");
      rest = TrimStart(rest.substr(1));
      if (rest.empty()) return Fail("hex data ending in a comma");
    }
  }

  bool Fail(std::string message) {
    Problem(std::move(message));
    return false;
  }

  std::string_view text_;
  WineRegistryFile& file_;
  std::size_t pos_ = 0;
  std::size_t lineNumber_ = 0;
  RegistryKeyRecord* key_ = nullptr;  // valid until the next section: only sections add keys
};

Result<WineRegistryFile, std::string> WineRegistryFile::Parse(std::string_view text) {
  WineRegistryFile file;
  WineRegistryParser parser(text, file);
  std::string error;
  if (!parser.Run(error)) return Unexpected{std::move(error)};
  return file;
}

}  // namespace kelvo::platform::wine
