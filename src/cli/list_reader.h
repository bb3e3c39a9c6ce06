// Reading back a list of rows that `kelvo-cli scan` printed (tsv or json), perhaps edited by the
// user, as rows to delete.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cleanup/deletion.h"

namespace kelvo::cli {

// Parses the whole text of a list. tsv lines give the path only (fields unescaped, no root, no
// identity); json lines give the path, the scan root, the identity and the exact bytes of texts
// that are not UTF-8. A list whose first line is an absolute path is a plain list of paths, one
// per line, taken as they are. Empty lines and a leading UTF-8 byte-order mark are skipped. Returns
// a message naming the first line that is not such a row (a path holding a NUL byte, a json text
// whose base64 names other bytes): the list has been altered, and none of it is to be deleted.
std::optional<std::string> ParseDeletionList(std::string_view text,
                                             std::vector<cleanup::DeletionRequest>& rows);

// Parses a list of absolute paths each ended (or separated) by a NUL byte, as find -print0 writes.
std::optional<std::string> ParseNulPathList(std::string_view text,
                                            std::vector<cleanup::DeletionRequest>& rows);

// The largest list read: a million json rows of 500 bytes each.
inline constexpr std::size_t kListLimit = 512u * 1024 * 1024;

// Reads a file, or standard input for "-", whole, as a stream (a FIFO or a device too), up to
// limit bytes: a longer one gives "list larger than N MiB", never an exhausted memory.
std::optional<std::string> ReadListText(const std::string& source, std::string& text,
                                        std::size_t limit = kListLimit);

// Undoes the tsv escapes \\ \t \n \r; false on any other backslash sequence.
bool UnescapeTsvField(std::string_view field, std::string& out);

}  // namespace kelvo::cli
