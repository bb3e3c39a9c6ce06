// The request an administrator step reads on standard input: who asked, the keep-list of that user
// (so the privileged side never reads the user's settings as root), and the rows, one json object
// per line:
//   {"kelvo_admin_request":1,"user":1000,"keep":[{"kind":"folder","base64":"..."}, ...]}
//   {"path":"/var/cache/x","root":"/var/cache/","kind":"file","dev":..,"ino":..,"mtime":..,...}
// Rows have the keys of a `scan --format=json` row (path, path_base64, root, root_base64, kind,
// dev, ino, mtime, btime, size, empty_folder) and, where a row takes more with it, "tidy"
// ("empty-folders" or "trash-item"); whether an entry lies in a trash is told from the disk.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cleanup/deletion.h"
#include "settings/keep_list_file.h"
#include "text/result.h"

namespace kelvo::admin {

inline constexpr std::string_view kRequestKey = "kelvo_admin_request";
inline constexpr int kProtocolVersion = 1;
// A list beyond this is refused whole; it is far more than one scan's rows.
inline constexpr std::size_t kMaxRequestBytes = std::size_t{256} << 20;

struct AdminRequest {
  std::uint64_t user = 0;  // the asking user's id
  std::vector<settings::KeepEntry> keep;
  std::vector<cleanup::DeletionRequest> rows;
};

std::string WriteAdminRequest(const AdminRequest& request);

// Whether a list's first line is a request header (and not a row of a plain list).
bool IsAdminRequest(std::string_view text);

// The whole request; an error names the first line that is not as written above. Every row must
// carry a root it lies below and the identity the scan saw: a privileged step walks nothing from
// the top of the file system and removes nothing it cannot compare.
Result<AdminRequest, std::string> ReadAdminRequest(std::string_view text);

}  // namespace kelvo::admin
