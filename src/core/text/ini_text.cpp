#include "text/ini_text.h"

#include <vector>

namespace kelvo::text::ini {
namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

struct Line {
  std::size_t begin = 0;
  std::size_t contentEnd = 0;  // before the line end
  std::size_t end = 0;         // after the line end
};

std::vector<Line> SplitLines(std::string_view text) {
  std::vector<Line> lines;
  std::size_t pos = 0;
  while (pos < text.size()) {
    Line line;
    line.begin = pos;
    std::size_t nl = text.find('\n', pos);
    if (nl == std::string_view::npos) {
      line.contentEnd = line.end = text.size();
    } else {
      line.end = nl + 1;
      line.contentEnd = (nl > pos && text[nl - 1] == '\r') ? nl - 1 : nl;
    }
    lines.push_back(line);
    pos = line.end;
  }
  return lines;
}

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

char Lower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (Lower(a[i]) != Lower(b[i])) return false;
  }
  return true;
}

std::string_view Content(std::string_view text, const Line& line) {
  std::string_view content = text.substr(line.begin, line.contentEnd - line.begin);
  if (line.begin == 0 && content.starts_with(kUtf8Bom)) content.remove_prefix(kUtf8Bom.size());
  return content;
}

// The section name of a "[name]" line.
std::optional<std::string_view> SectionName(std::string_view content) {
  content = Trim(content);
  if (!content.starts_with('[')) return std::nullopt;
  auto close = content.find(']');
  if (close == std::string_view::npos) return std::nullopt;
  return Trim(content.substr(1, close - 1));
}

// The key of a "key=value" line, and where its value starts.
std::optional<std::string_view> KeyName(std::string_view content, std::size_t* valueStart) {
  auto eq = content.find('=');
  if (eq == std::string_view::npos) return std::nullopt;
  if (valueStart) *valueStart = eq + 1;
  return Trim(content.substr(0, eq));
}

struct Position {
  std::size_t headerLine = 0;
  std::size_t endLine = 0;  // one past the section's last line
  std::optional<std::size_t> keyLine;
};

std::optional<Position> Locate(std::string_view text, const std::vector<Line>& lines,
                               std::string_view section, std::string_view key) {
  section = Trim(section);
  key = Trim(key);
  std::size_t i = 0;
  while (i < lines.size()) {
    auto name = SectionName(Content(text, lines[i]));
    if (name && SameName(*name, section)) break;
    ++i;
  }
  if (i == lines.size()) return std::nullopt;
  Position pos;
  pos.headerLine = i;
  for (++i; i < lines.size(); ++i) {
    std::string_view content = Content(text, lines[i]);
    if (SectionName(content)) break;
    auto name = KeyName(content, nullptr);
    if (!pos.keyLine && name && SameName(*name, key)) pos.keyLine = i;
  }
  pos.endLine = i;
  return pos;
}

std::string_view LineEnd(std::string_view text, const std::vector<Line>& lines) {
  for (const Line& line : lines) {
    if (line.end > line.contentEnd) return text.substr(line.contentEnd, line.end - line.contentEnd);
  }
  return "\n";
}

bool HasBreakOrNul(std::string_view s) {
  return s.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

}  // namespace

namespace {
std::string_view ValueOf(std::string_view content, std::size_t valueStart) {
  std::string_view value = Trim(content.substr(valueStart));
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    value = value.substr(1, value.size() - 2);
  }
  return value;
}
}  // namespace

std::optional<std::string> FindValue(std::string_view text, std::string_view section,
                                     std::string_view key) {
  auto lines = SplitLines(text);
  auto pos = Locate(text, lines, section, key);
  if (!pos || !pos->keyLine) return std::nullopt;
  std::string_view content = Content(text, lines[*pos->keyLine]);
  std::size_t valueStart = 0;
  KeyName(content, &valueStart);
  return std::string(ValueOf(content, valueStart));
}

namespace {
// The line ranges [header, end) of every section named section, in file order.
std::vector<std::pair<std::size_t, std::size_t>> SectionsNamed(std::string_view text,
                                                               const std::vector<Line>& lines,
                                                               std::string_view section) {
  section = Trim(section);
  std::vector<std::pair<std::size_t, std::size_t>> found;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    auto name = SectionName(Content(text, lines[i]));
    if (!name) continue;
    if (!found.empty() && found.back().second == lines.size()) found.back().second = i;
    if (SameName(*name, section)) found.emplace_back(i, lines.size());
  }
  return found;
}
}  // namespace

KeyValues SectionValues(std::string_view text, std::string_view section) {
  auto lines = SplitLines(text);
  KeyValues out;
  for (const auto& [header, end] : SectionsNamed(text, lines, section)) {
    for (std::size_t i = header + 1; i < end; ++i) {
      std::string_view content = Content(text, lines[i]);
      std::size_t valueStart = 0;
      auto key = KeyName(content, &valueStart);
      if (key && !key->empty()) out.emplace_back(*key, ValueOf(content, valueStart));
    }
  }
  return out;
}

std::string ReplaceOwnedKeys(std::string_view text, std::string_view section, KeyOwner owned,
                             const KeyValues& values) {
  auto lines = SplitLines(text);
  std::string_view eol = LineEnd(text, lines);
  std::string entries;
  for (const auto& [key, value] : values)
    entries.append(key).append("=\"").append(value).append("\"").append(eol);
  const auto sections = SectionsNamed(text, lines, section);
  std::string out;
  if (sections.empty()) {
    out.append(text);
    if (!out.empty() && out.back() != '\n') out.append(eol);
    out.append("[").append(section).append("]").append(eol).append(entries);
    return out;
  }
  std::vector<bool> drop(lines.size(), false);
  for (const auto& [header, end] : sections) {
    for (std::size_t i = header + 1; i < end; ++i) {
      auto key = KeyName(Content(text, lines[i]), nullptr);
      if (key && owned(*key)) drop[i] = true;
    }
  }
  const std::size_t first = sections.front().first;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (drop[i]) continue;
    out.append(text.substr(lines[i].begin, lines[i].end - lines[i].begin));
    if (i == first) {
      if (lines[i].end == lines[i].contentEnd) out.append(eol);
      out.append(entries);
    }
  }
  return out;
}

std::string LimitValue(std::string_view value) {
  if (value.size() <= kValueLimit) return std::string(value);
  std::size_t cut = kValueLimit;
  auto isContinuation = [&](std::size_t i) {
    return (static_cast<unsigned char>(value[i]) & 0xC0) == 0x80;
  };
  // A cut inside a multi-byte character drops the character's leading part as well.
  if (isContinuation(cut)) {
    std::size_t lead = cut;
    while (lead > 0 && cut - lead < 3 && isContinuation(lead)) --lead;
    if (static_cast<unsigned char>(value[lead]) >= 0xC0) cut = lead;
  }
  return std::string(value.substr(0, cut));
}

bool IsWritable(std::string_view section, std::string_view key, std::string_view value) {
  if (section.empty() || key.empty()) return false;
  if (HasBreakOrNul(section) || HasBreakOrNul(key) || HasBreakOrNul(value)) return false;
  if (Trim(section) != section || Trim(key) != key) return false;
  if (section.find(']') != std::string_view::npos) return false;
  if (key.find('=') != std::string_view::npos || key.front() == '[') return false;
  return true;
}

std::string AssignValue(std::string_view text, std::string_view section, std::string_view key,
                        std::string_view value) {
  auto lines = SplitLines(text);
  std::string_view eol = LineEnd(text, lines);
  std::string entry = std::string(key) + "=" + std::string(value);
  auto pos = Locate(text, lines, section, key);

  std::string out;
  out.reserve(text.size() + entry.size() + section.size() + 8);
  if (!pos) {
    out.append(text);
    if (!out.empty() && out.back() != '\n') out.append(eol);
    out.append("[").append(section).append("]").append(eol);
    out.append(entry).append(eol);
    return out;
  }
  if (pos->keyLine) {
    // The key keeps the spelling the file gives it.
    const Line& line = lines[*pos->keyLine];
    std::string_view fileKey = *KeyName(Content(text, line), nullptr);
    out.append(text.substr(0, line.begin));
    out.append(fileKey).append("=").append(value);
    out.append(text.substr(line.contentEnd));
    return out;
  }
  // After the section's last non-blank line, so blank lines before the next section stay there.
  std::size_t after = pos->headerLine;
  for (std::size_t i = pos->headerLine + 1; i < pos->endLine; ++i) {
    if (!Trim(Content(text, lines[i])).empty()) after = i;
  }
  const Line& line = lines[after];
  out.append(text.substr(0, line.end));
  if (line.end == line.contentEnd) out.append(eol);  // the last line of the text had no line end
  out.append(entry).append(eol);
  out.append(text.substr(line.end));
  return out;
}

}  // namespace kelvo::text::ini
