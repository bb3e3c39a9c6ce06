#include "admin/admin_request.h"

#include <nlohmann/json.hpp>

#include "admin/json_text.h"
#include "platform/native_string.h"

namespace kelvo::admin {
namespace {

using cleanup::DeletionRequest;
using cleanup::Tidy;
using platform::EntryType;

const char* KindName(EntryType type) {
  switch (type) {
    case EntryType::kFile:
      return "file";
    case EntryType::kDirectory:
      return "dir";
    case EntryType::kSymlink:
      return "symlink";
    case EntryType::kOther:
      return "other";
    default:
      return "unknown";
  }
}

std::optional<EntryType> KindFromName(const nlohmann::json& kind) {
  if (!kind.is_string()) return std::nullopt;
  for (EntryType type : {EntryType::kFile, EntryType::kDirectory, EntryType::kSymlink,
                         EntryType::kOther, EntryType::kUnknown})
    if (kind.get<std::string>() == KindName(type)) return type;
  return std::nullopt;
}

std::string RowLine(const DeletionRequest& row) {
  nlohmann::ordered_json line;
  PutNativeText(line, "path", row.path);
  PutNativeText(line, "root", row.root);
  if (row.identity) {
    line["kind"] = KindName(row.identity->type);
    line["dev"] = row.identity->device;
    line["ino"] = row.identity->inode;
    if (row.identity->modified) line["mtime"] = *row.identity->modified;
    if (row.identity->born) line["btime"] = *row.identity->born;
  }
  line["size"] = row.size ? nlohmann::ordered_json(*row.size) : nlohmann::ordered_json(nullptr);
  if (row.emptyFolder) line["empty_folder"] = true;
  if (row.tidy == Tidy::kEmptyFolders) line["tidy"] = "empty-folders";
  if (row.tidy == Tidy::kTrashItem) line["tidy"] = "trash-item";
  return line.dump();
}

std::optional<std::string> ReadFlag(const nlohmann::json& line, const char* key, bool& out) {
  const auto found = line.find(key);
  if (found == line.end()) return std::nullopt;
  if (!found->is_boolean()) return std::string(key) + " is not true or false";
  out = found->get<bool>();
  return std::nullopt;
}

bool Below(NativeStringView path, NativeStringView root) {
  return !root.empty() && root.back() == platform::kSeparator && path.size() > root.size() &&
         path.starts_with(root);
}

std::optional<std::string> ReadRow(const nlohmann::json& line, DeletionRequest& row) {
  if (!line.is_object()) return "not a json object";
  if (auto error = GetNativeText(line, "path", row.path)) return error;
  if (auto error = GetNativeText(line, "root", row.root)) return error;
  if (!Below(row.path, row.root)) return "the path is not below its root";
  const auto dev = line.find("dev");
  const auto ino = line.find("ino");
  if (dev == line.end() || ino == line.end() || !dev->is_number_unsigned() ||
      !ino->is_number_unsigned())
    return "no identity (dev and ino)";
  scan::EntryIdentity identity;
  identity.device = dev->get<std::uint64_t>();
  identity.inode = ino->get<std::uint64_t>();
  const auto kind = line.find("kind");
  const auto type = kind == line.end() ? std::nullopt : KindFromName(*kind);
  if (!type) return "kind is not one of file, dir, symlink, other, unknown";
  identity.type = *type;
  for (auto [key, time] : {std::pair{"mtime", &identity.modified}, {"btime", &identity.born}}) {
    const auto found = line.find(key);
    if (found == line.end()) continue;
    if (!found->is_number_integer()) return std::string(key) + " is not a whole number";
    *time = found->get<std::int64_t>();
  }
  row.identity = identity;
  const auto size = line.find("size");
  if (size != line.end() && !size->is_null()) {
    if (!size->is_number_unsigned()) return "size is not a whole number";
    row.size = size->get<std::uint64_t>();
  }
  if (auto error = ReadFlag(line, "empty_folder", row.emptyFolder)) return error;
  const auto tidy = line.find("tidy");
  if (tidy != line.end()) {
    if (*tidy == "empty-folders")
      row.tidy = Tidy::kEmptyFolders;
    else if (*tidy == "trash-item")
      row.tidy = Tidy::kTrashItem;
    else
      return "tidy is not one of empty-folders, trash-item";
  }
  return std::nullopt;
}

std::optional<std::string> ReadHeader(const nlohmann::json& line, AdminRequest& request) {
  if (!line.is_object() || !line.contains(kRequestKey)) return "not a request header";
  if (line[std::string(kRequestKey)] != kProtocolVersion) return "another version of the request";
  const auto user = line.find("user");
  if (user == line.end() || !user->is_number_unsigned()) return "no asking user";
  request.user = user->get<std::uint64_t>();
  const auto keep = line.find("keep");
  if (keep == line.end() || !keep->is_array()) return "no keep-list (an empty one is [])";
  for (const auto& entry : *keep) {
    if (!entry.is_object()) return "a keep entry is not an object";
    settings::KeepEntry e;
    const auto kind = entry.find("kind");
    if (kind == entry.end() || (*kind != "folder" && *kind != "pattern"))
      return "a keep entry's kind is not folder or pattern";
    e.kind = *kind == "folder" ? settings::KeepEntry::Kind::kFolder
                               : settings::KeepEntry::Kind::kPattern;
    if (auto error = GetNativeText(entry, "text", e.text)) return "a keep entry's " + *error;
    if (e.text.empty()) return "a keep entry is empty";
    request.keep.push_back(std::move(e));
  }
  return std::nullopt;
}

std::string_view FirstLine(std::string_view text) {
  return text.substr(0, text.find('\n'));
}

}  // namespace

std::string WriteAdminRequest(const AdminRequest& request) {
  nlohmann::ordered_json header;
  header[std::string(kRequestKey)] = kProtocolVersion;
  header["user"] = request.user;
  header["keep"] = nlohmann::ordered_json::array();
  for (const settings::KeepEntry& e : request.keep) {
    nlohmann::ordered_json entry;
    entry["kind"] = e.kind == settings::KeepEntry::Kind::kFolder ? "folder" : "pattern";
    PutNativeText(entry, "text", e.text);
    header["keep"].push_back(std::move(entry));
  }
  std::string text = header.dump() + "\n";
  for (const DeletionRequest& row : request.rows) text += RowLine(row) + "\n";
  return text;
}

bool IsAdminRequest(std::string_view text) {
  const std::string_view first = FirstLine(text);
  if (first.empty() || first.front() != '{') return false;
  const nlohmann::json line = nlohmann::json::parse(first, nullptr, /*allow_exceptions=*/false);
  return line.is_object() && line.contains(kRequestKey);
}

Result<AdminRequest, std::string> ReadAdminRequest(std::string_view text) {
  if (text.size() > kMaxRequestBytes) return Unexpected(std::string("the request is too long"));
  AdminRequest request;
  std::size_t number = 0;
  while (!text.empty()) {
    const std::string_view lineText = FirstLine(text);
    text.remove_prefix(std::min(text.size(), lineText.size() + 1));
    ++number;
    if (lineText.empty() && number > 1) continue;
    const nlohmann::json line = nlohmann::json::parse(lineText, nullptr, false);
    std::optional<std::string> error;
    if (number == 1) {
      error = ReadHeader(line, request);
    } else {
      DeletionRequest row;
      error = ReadRow(line, row);
      if (!error) request.rows.push_back(std::move(row));
    }
    if (error) return Unexpected("line " + std::to_string(number) + ": " + *error);
  }
  if (number == 0) return Unexpected(std::string("line 1: not a request header"));
  return request;
}

}  // namespace kelvo::admin
