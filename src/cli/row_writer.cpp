#include "row_writer.h"
#include "scan/junk_rules.h"

#include <nlohmann/json.hpp>

#include <array>
#include <charconv>
#include <cinttypes>

#include "admin/json_text.h"
#include "text/base64.h"
#include "text/utf8.h"

namespace kelvo::cli {

void OutputBuffer::AppendEscapedTsv(std::string_view s) {
  AppendEscapedTsvField(data_, s);
  if (data_.size() >= kFlushAt) Flush();
}

void OutputBuffer::Flush() {
  if (data_.empty()) return;
  if (std::fwrite(data_.data(), 1, data_.size(), out_) != data_.size()) failed_ = true;
  if (std::fflush(out_) != 0) failed_ = true;
  data_.clear();
}

void AppendEscapedTsvField(std::string& out, std::string_view bytes) {
  // Copies runs of plain bytes whole; most fields have nothing to escape.
  std::size_t plainFrom = 0;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    std::string_view escaped;
    switch (bytes[i]) {
      case '\\':
        escaped = "\\\\";
        break;
      case '\t':
        escaped = "\\t";
        break;
      case '\n':
        escaped = "\\n";
        break;
      case '\r':
        escaped = "\\r";
        break;
      default:
        continue;
    }
    out.append(bytes.substr(plainFrom, i - plainFrom));
    out.append(escaped);
    plainFrom = i + 1;
  }
  out.append(bytes.substr(plainFrom));
}

std::string EscapeTsvField(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  AppendEscapedTsvField(out, bytes);
  return out;
}

std::string QuoteCsvField(std::string_view bytes) {
  if (bytes.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(bytes);
  std::string out = "\"";
  for (char c : bytes) {
    if (c == '"') out.push_back('"');
    out.push_back(c);
  }
  out.push_back('"');
  return out;
}

namespace {

// Length of the valid UTF-8 sequence starting at s[i], or 0.
std::size_t Utf8SequenceLength(std::string_view s, std::size_t i) {
  return text::DecodeUtf8At(s, i, text::Surrogates::kRejected).length;
}

}  // namespace

std::string EscapeForTerminal(std::string_view bytes, Backslashes backslashes) {
  static constexpr char kHex[] = "0123456789abcdef";
  const auto hex = [&](std::string& out, unsigned char c) {
    out += "\\x";
    out.push_back(kHex[c >> 4]);
    out.push_back(kHex[c & 15]);
  };
  std::string out;
  out.reserve(bytes.size());
  for (std::size_t i = 0; i < bytes.size();) {
    const unsigned char c = static_cast<unsigned char>(bytes[i]);
    const std::size_t n = Utf8SequenceLength(bytes, i);
    if (c == '\\' && backslashes == Backslashes::kKept) {
      out.push_back('\\');
    } else if (c == '\\' || c == '\t' || c == '\n' || c == '\r') {
      AppendEscapedTsvField(out, bytes.substr(i, 1));
    } else if (n == 0 || c < 0x20 || c == 0x7F) {
      hex(out, c);
    } else if (c == 0xC2 && static_cast<unsigned char>(bytes[i + 1]) < 0xA0) {
      hex(out, c);  // U+0080-U+009F: the C1 controls
      hex(out, static_cast<unsigned char>(bytes[i + 1]));
    } else {
      out.append(bytes.substr(i, n));
    }
    i += n ? n : 1;
  }
  return out;
}

std::string_view EntryKindName(const scan::JunkItem& item) {
  if (!item.identity) return "unknown";
  switch (item.identity->type) {
    case platform::EntryType::kFile:
      return "file";
    case platform::EntryType::kDirectory:
      return "dir";
    case platform::EntryType::kSymlink:
      return "symlink";
    case platform::EntryType::kOther:
      return "other";
    default:
      return "unknown";
  }
}

namespace {

std::string SizeText(const scan::JunkItem& item) {
  return item.size ? std::to_string(*item.size) : std::string();
}

class TsvWriter final : public RowWriter {
 public:
  explicit TsvWriter(OutputBuffer& out) : out_(out) {}
  void Write(const scan::JunkItem& item) override {
    out_.AppendEscapedTsv(NativeToUtf8(item.fileName));
    out_.Append('\t');
    out_.AppendEscapedTsv(NativeToUtf8(item.fullPath));
    out_.Append('\t');
    out_.AppendEscapedTsv(NativeToUtf8(item.typeLabel));
    out_.Append('\t');
    if (item.size) {
      std::array<char, 24> digits;
      const auto end = std::to_chars(digits.data(), digits.data() + digits.size(), *item.size).ptr;
      out_.Append(std::string_view(digits.data(), static_cast<std::size_t>(end - digits.data())));
    }
    out_.Append("\n");
  }

 private:
  OutputBuffer& out_;
};

class CsvWriter final : public RowWriter {
 public:
  explicit CsvWriter(OutputBuffer& out) : out_(out) { out_.Append("name,path,type,size\r\n"); }
  void Write(const scan::JunkItem& item) override {
    out_.Append(QuoteCsvField(NativeToUtf8(item.fileName)));
    out_.Append(',');
    out_.Append(QuoteCsvField(NativeToUtf8(item.fullPath)));
    out_.Append(',');
    out_.Append(QuoteCsvField(NativeToUtf8(item.typeLabel)));
    out_.Append(',');
    out_.Append(SizeText(item));
    out_.Append("\r\n");
  }

 private:
  OutputBuffer& out_;
};

// One object per line. A text that is not valid UTF-8 is given lossily under its own key and
// exactly, as base64 of its bytes, under the key with "_base64" appended.
class JsonWriter final : public RowWriter {
 public:
  explicit JsonWriter(OutputBuffer& out) : out_(out) {}
  void Write(const scan::JunkItem& item) override {
    nlohmann::ordered_json row;
    PutText(row, "name", NativeToUtf8(item.fileName));
    PutText(row, "path", NativeToUtf8(item.fullPath));
    PutText(row, "type", NativeToUtf8(item.typeLabel));
    row["size"] = item.size ? nlohmann::ordered_json(*item.size) : nlohmann::ordered_json(nullptr);
    row["rule"] = item.rule;
    if (item.rule == scan::kAuditRule) row["audit"] = true;
    row["kind"] = EntryKindName(item);
    if (item.emptyFolder) row["empty_folder"] = true;
    if (!item.root.empty()) PutText(row, "root", NativeToUtf8(item.root));
    if (item.identity) {
      row["dev"] = item.identity->device;
      row["ino"] = item.identity->inode;
      if (item.identity->modified) row["mtime"] = *item.identity->modified;
      if (item.identity->born) row["btime"] = *item.identity->born;
    }
    row["rule_name"] = scan::RuleName(item.rule, item.emptyFolder);
    row["needs_admin"] = item.needsAdmin;
    out_.Append(row.dump());
    out_.Append('\n');
  }

 private:
  static void PutText(nlohmann::ordered_json& row, const std::string& key,
                      const std::string& bytes) {
    admin::PutTextBytes(row, key, bytes);
  }
  OutputBuffer& out_;
};

// Paths only, each ended by a NUL byte, for xargs -0.
class PathsWriter final : public RowWriter {
 public:
  explicit PathsWriter(OutputBuffer& out) : out_(out) {}
  void Write(const scan::JunkItem& item) override {
    out_.Append(NativeToUtf8(item.fullPath));
    out_.Append('\0');
  }

 private:
  OutputBuffer& out_;
};

// Terminal display width of UTF-8 text: East Asian wide characters take two cells.
std::size_t DisplayWidth(std::string_view s) {
  std::size_t width = 0;
  for (std::size_t i = 0; i < s.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    if ((c & 0xC0) == 0x80) continue;
    width += (c >= 0xE1 && c <= 0xEF) ? 2 : 1;  // three-byte sequences from U+1000 on
  }
  return width;
}

class TextWriter final : public RowWriter {
 public:
  explicit TextWriter(OutputBuffer& out) : out_(out) {}
  void Write(const scan::JunkItem& item) override {
    std::string size = SizeText(item);
    if (size.empty()) size = "-";
    if (size.size() < 14) out_.Append(std::string(14 - size.size(), ' '));
    out_.Append(size);
    out_.Append("  ");
    std::string type = EscapeForTerminal(NativeToUtf8(item.typeLabel));
    out_.Append(type);
    std::size_t width = DisplayWidth(type);
    out_.Append(std::string(width < 16 ? 16 - width : 0, ' '));
    out_.Append("  ");
    out_.Append(EscapeForTerminal(NativeToUtf8(item.fullPath)));
    out_.Append('\n');
  }

 private:
  OutputBuffer& out_;
};

}  // namespace

const std::vector<std::string> kFormatNames = {"text", "tsv", "csv", "json"};

OutputFormat FormatNamed(std::string_view name) {
  if (name == "tsv") return OutputFormat::kTsv;
  if (name == "csv") return OutputFormat::kCsv;
  if (name == "json") return OutputFormat::kJson;
  return OutputFormat::kText;
}

std::unique_ptr<RowWriter> MakeRowWriter(OutputFormat format, OutputBuffer& out) {
  switch (format) {
    case OutputFormat::kTsv:
      return std::make_unique<TsvWriter>(out);
    case OutputFormat::kCsv:
      return std::make_unique<CsvWriter>(out);
    case OutputFormat::kJson:
      return std::make_unique<JsonWriter>(out);
    case OutputFormat::kPaths0:
      return std::make_unique<PathsWriter>(out);
    case OutputFormat::kText:
    default:
      return std::make_unique<TextWriter>(out);
  }
}

}  // namespace kelvo::cli
