#include "list_reader.h"

#include <nlohmann/json.hpp>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>

#include "platform/native_path.h"
#include "platform/native_string.h"
#include "row_writer.h"
#include "scan/junk_rules.h"
#include "text/base64.h"
#include "text/utf8.h"

namespace kelvo::cli {
namespace {

std::vector<std::string_view> Lines(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);  // edited with CRLF endings
    lines.push_back(line);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
  }
  return lines;
}

std::string LineError(std::size_t number, const std::string& what) {
  return "line " + std::to_string(number) + ": " + what;
}

bool ParseSize(std::string_view text, std::optional<std::uint64_t>& size) {
  size.reset();
  if (text.empty()) return true;
  std::uint64_t v = 0;
  for (char c : text) {
    if (c < '0' || c > '9' || v > (UINT64_MAX - 9) / 10) return false;
    v = v * 10 + static_cast<std::uint64_t>(c - '0');
  }
  size = v;
  return true;
}

std::optional<std::string> ParseTsvLine(std::string_view line, cleanup::DeletionRequest& row) {
  std::vector<std::string_view> fields;
  for (std::size_t start = 0;;) {
    const std::size_t tab = line.find('\t', start);
    fields.push_back(line.substr(start, tab == std::string_view::npos ? tab : tab - start));
    if (tab == std::string_view::npos) break;
    start = tab + 1;
  }
  if (fields.size() != 4)
    return "expected 4 tab-separated fields (name, path, type, size) or an absolute path";
  std::string path, type;
  if (!UnescapeTsvField(fields[1], path) || !UnescapeTsvField(fields[2], type))
    return "a backslash that is not one of \\\\ \\t \\n \\r";
  if (path.empty()) return "the path is empty";
  if (path.find('\0') != std::string::npos) return "the path holds a NUL byte";
  if (!ParseSize(fields[3], row.size)) return "the size is not a number";
  row.path = Utf8ToNative(path);
  row.emptyFolder = type == scan::kEmptyFolderLabel;
  return std::nullopt;
}

// A text of a json row: its exact bytes when the writer gave them in base64, else the text itself.
// The two must agree as the writer wrote them (the bytes with U+FFFD for what is not UTF-8): a row
// edited in one and not the other would show one file and delete another.
std::optional<std::string> JsonText(const nlohmann::json& row, const std::string& key,
                                    std::string& out) {
  out.clear();
  const auto text = row.find(key);
  if (text != row.end()) {
    if (!text->is_string()) return key + " is not a string";
    out = text->get<std::string>();
  }
  const auto exact = row.find(key + "_base64");
  if (exact != row.end()) {
    if (!exact->is_string()) return key + "_base64 is not a string";
    auto bytes = text::Base64Decode(exact->get<std::string>());
    if (!bytes) return key + "_base64 is not base64";
    if (text == row.end() || text::ToLossyUtf8(*bytes) != out)
      return key + "_base64 names another " + key + " than " + key;
    out = std::move(*bytes);
  }
  if (out.find('\0') != std::string::npos) return "the " + key + " holds a NUL byte";
  return std::nullopt;
}

std::optional<platform::EntryType> KindFromName(const std::string& kind) {
  using platform::EntryType;
  if (kind == "file") return EntryType::kFile;
  if (kind == "dir") return EntryType::kDirectory;
  if (kind == "symlink") return EntryType::kSymlink;
  if (kind == "other") return EntryType::kOther;
  if (kind == "unknown") return EntryType::kUnknown;
  return std::nullopt;
}

std::optional<std::string> ParseJsonLine(std::string_view line, cleanup::DeletionRequest& row) {
  const nlohmann::json value = nlohmann::json::parse(line, nullptr, /*allow_exceptions=*/false);
  if (!value.is_object()) return "not a json object";
  std::string path, root;
  if (auto error = JsonText(value, "path", path)) return error;
  if (path.empty()) return "no path";
  if (auto error = JsonText(value, "root", root)) return error;
  row.path = Utf8ToNative(path);
  row.root = Utf8ToNative(root);

  const auto dev = value.find("dev");
  const auto ino = value.find("ino");
  if ((dev == value.end()) != (ino == value.end())) return "dev and ino go together";
  if (dev != value.end()) {
    if (!dev->is_number_unsigned() || !ino->is_number_unsigned())
      return "dev and ino must be whole numbers";
    scan::EntryIdentity identity;
    identity.device = dev->get<std::uint64_t>();
    identity.inode = ino->get<std::uint64_t>();
    const auto kind = value.find("kind");
    if (kind != value.end()) {
      const auto type = kind->is_string() ? KindFromName(kind->get<std::string>()) : std::nullopt;
      if (!type) return "kind is not one of file, dir, symlink, other, unknown";
      identity.type = *type;
    }
    for (auto [key, time] : {std::pair{"mtime", &identity.modified}, {"btime", &identity.born}}) {
      const auto found = value.find(key);
      if (found == value.end()) continue;
      if (!found->is_number_integer()) return std::string(key) + " is not a whole number";
      *time = found->get<std::int64_t>();
    }
    row.identity = identity;
  }
  const auto emptyFolder = value.find("empty_folder");
  if (emptyFolder != value.end()) {
    if (!emptyFolder->is_boolean()) return "empty_folder is not true or false";
    row.emptyFolder = emptyFolder->get<bool>();
  }
  const auto size = value.find("size");
  if (size != value.end() && !size->is_null()) {
    if (!size->is_number_unsigned()) return "size is not a whole number";
    row.size = size->get<std::uint64_t>();
  }
  // A location's rows tidy their location after them, as they would straight after the scan.
  const auto rule = value.find("rule");
  if (rule != value.end() && rule->is_number_integer()) {
    row.tidy = cleanup::TidyFor(rule->get<int>(), row.root);
  }
  return std::nullopt;
}

// On Windows also C:\... and \\server\...; on POSIX a name may hold a backslash or a colon.
bool IsAbsolutePath(std::string_view path) {
  if (!path.empty() && path.front() == '/') return true;
  if (platform::kSeparator != '\\') return false;
  if (path.size() >= 2 && path[0] == '\\' && path[1] == '\\') return true;
  const bool drive = path.size() >= 3 &&
                     ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
  return drive && path[1] == ':' && (path[2] == '\\' || path[2] == '/');
}

// A path of a plain list. Only absolute paths: they are reached from the top of the file system.
// A trailing separator marks a folder to remove only while it is empty.
std::optional<std::string> ParsePlainPath(std::string_view path, cleanup::DeletionRequest& row) {
  if (!IsAbsolutePath(path)) return "not an absolute path";
  while (path.size() > 1 && platform::IsSeparator(static_cast<NativeChar>(path.back()))) {
    path.remove_suffix(1);
    row.emptyFolder = true;
  }
  row.path = Utf8ToNative(path);
  return std::nullopt;
}

}  // namespace

bool UnescapeTsvField(std::string_view field, std::string& out) {
  out.clear();
  out.reserve(field.size());
  for (std::size_t i = 0; i < field.size(); ++i) {
    if (field[i] != '\\') {
      out.push_back(field[i]);
      continue;
    }
    if (++i == field.size()) return false;
    switch (field[i]) {
      case '\\':
        out.push_back('\\');
        break;
      case 't':
        out.push_back('\t');
        break;
      case 'n':
        out.push_back('\n');
        break;
      case 'r':
        out.push_back('\r');
        break;
      default:
        return false;
    }
  }
  return true;
}

std::optional<std::string> ParseDeletionList(std::string_view text,
                                             std::vector<cleanup::DeletionRequest>& rows) {
  rows.clear();
  constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";  // as some editors save UTF-8
  if (text.substr(0, kByteOrderMark.size()) == kByteOrderMark)
    text.remove_prefix(kByteOrderMark.size());
  const std::vector<std::string_view> lines = Lines(text);
  enum class Kind { kTsv, kJson, kPlain };
  std::optional<Kind> kind;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::string_view line = lines[i];
    if (line.empty()) continue;
    if (!kind) {
      if (line == "name,path,type,size")
        return "this is a csv list; give a list printed with --format=tsv or --format=json";
      // A tsv name may start with "{" too; only a line that parses is json. A tsv row starts with
      // a file name, which holds no separator, so it never looks like an absolute path.
      if (line.front() == '{' && nlohmann::json::accept(line))
        kind = Kind::kJson;
      else
        kind = IsAbsolutePath(line) ? Kind::kPlain : Kind::kTsv;
    }
    cleanup::DeletionRequest row;
    auto error = *kind == Kind::kJson    ? ParseJsonLine(line, row)
                 : *kind == Kind::kPlain ? ParsePlainPath(line, row)
                                         : ParseTsvLine(line, row);
    if (error) return LineError(i + 1, *error);
    rows.push_back(std::move(row));
  }
  return std::nullopt;
}

std::optional<std::string> ParseNulPathList(std::string_view text,
                                            std::vector<cleanup::DeletionRequest>& rows) {
  rows.clear();
  std::size_t number = 0;
  while (!text.empty()) {
    const std::size_t end = text.find('\0');
    const std::string_view path = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    ++number;
    if (path.empty()) continue;
    cleanup::DeletionRequest row;
    if (auto error = ParsePlainPath(path, row))
      return "path " + std::to_string(number) + ": " + *error;
    rows.push_back(std::move(row));
  }
  return std::nullopt;
}

std::optional<std::string> ReadListText(const std::string& source, std::string& text,
                                        std::size_t limit) {
  text.clear();
  std::FILE* in = source == "-" ? stdin : std::fopen(source.c_str(), "rb");
  if (!in) return "cannot read " + source + ": " + std::strerror(errno);
  const std::string tooLarge =
      "list larger than " + std::to_string(limit / (1024 * 1024)) + " MiB: " + source;
  std::optional<std::string> error;
  try {
    // Chunk by chunk, so that a stream without end (/dev/zero, a pipe) stops at the limit.
    char buffer[65536];
    std::size_t n;
    while (!error && (n = std::fread(buffer, 1, sizeof buffer, in)) > 0) {
      if (n > limit - text.size())
        error = tooLarge;
      else
        text.append(buffer, n);
    }
    if (!error && std::ferror(in)) error = "cannot read " + source;
  } catch (const std::bad_alloc&) {
    error = "not enough memory to read the list " + source;
  }
  if (in != stdin) std::fclose(in);
  if (error) text.clear();
  return error;
}

}  // namespace kelvo::cli
