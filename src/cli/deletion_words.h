// What became of a row handed to the deletion, in the command line's words.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>

#include "cleanup/deletion.h"
#include "cleanup/deletion_tally.h"

namespace kelvo::cli {

// "deleted", "already gone", or why the row was not deleted ("changed since the scan", ...).
std::string DeletionWords(const cleanup::DeletionResult& result);

// "N file(s) (B bytes)".
std::string FilesAndBytes(std::size_t files, std::uint64_t bytes);

// The summary of a removal: "Deleted N files (B bytes), G already gone, [K kept by the keep-list, ]
// [P package files kept, ]F failed (reasons)"; with the trash "Moved ... to the trash (TRASHES)".
std::string TallyWords(const cleanup::DeletionTally& tally, bool toTrash,
                       const std::map<std::string, std::size_t>& reasons,
                       const std::string& trashes);

}  // namespace kelvo::cli
