#include "deletion_words.h"

#include <string>

namespace kelvo::cli {

std::string DeletionWords(const cleanup::DeletionResult& result) {
  using cleanup::DeletionFailure;
  using cleanup::DeletionOutcome;
  switch (result.outcome) {
    case DeletionOutcome::kDeleted:
      return "deleted";
    case DeletionOutcome::kAlreadyGone:
      return "already gone";
    case DeletionOutcome::kFailed:
      break;
  }
  switch (result.failure) {
    case DeletionFailure::kChangedSinceScan:
      return "changed since the scan";
    case DeletionFailure::kLinkInPath:
      return "a folder in its path is a symbolic link";
    case DeletionFailure::kOtherFileSystem:
      return "its path leads to another file system";
    case DeletionFailure::kPermissionDenied:
      return "permission denied";
    case DeletionFailure::kInUse:
      return "in use";
    case DeletionFailure::kNotEmpty:
      return "the folder is not empty";
    case DeletionFailure::kIsDirectory:
      return "it is a folder";
    case DeletionFailure::kKept:
      return "on the keep-list";
    case DeletionFailure::kNoTrash:
      return "no usable trash on its file system";
    case DeletionFailure::kPackageFile:
      return "an installed package owns it";
    case DeletionFailure::kWrongKind:
      return "not a file (a device, FIFO or socket)";
    case DeletionFailure::kBadPath:
      return "not a plain path below its scan root";
    case DeletionFailure::kTrashItemRemains:
      return "its trashed item is still there";
    case DeletionFailure::kKeepListUnreadable:
      return "the keep-list cannot be read";
    case DeletionFailure::kNone:
    case DeletionFailure::kOther:
      break;
  }
  if (result.error == std::errc::invalid_argument) return "not a plain path below its scan root";
  return result.error ? result.error.message() : std::string("failed");
}

std::string FilesAndBytes(std::size_t files, std::uint64_t bytes) {
  return std::to_string(files) + (files == 1 ? " file" : " files") + " (" + std::to_string(bytes) +
         " bytes)";
}

std::string TallyWords(const cleanup::DeletionTally& tally, bool toTrash,
                       const std::map<std::string, std::size_t>& reasons,
                       const std::string& trashes) {
  using cleanup::TallyKind;
  const cleanup::TallyCount moved = tally.Of(TallyKind::kMoved);
  const cleanup::TallyCount deleted = tally.Of(TallyKind::kDeleted);
  std::string words;
  if (toTrash) {
    words = "Moved " + FilesAndBytes(moved.entries, moved.bytes) + " to the trash";
    if (!trashes.empty()) words += " (" + trashes + ")";
    // What was already in a trash is deleted for good, and said so.
    if (deleted.entries) words += ", deleted " + FilesAndBytes(deleted.entries, deleted.bytes);
  } else {
    words = "Deleted " + FilesAndBytes(deleted.entries, deleted.bytes);
  }
  words += ", " + std::to_string(tally.Of(TallyKind::kAlreadyGone).entries) + " already gone, ";
  if (const std::size_t kept = tally.Of(TallyKind::kKept).entries)
    words += std::to_string(kept) + " kept by the keep-list, ";
  if (const std::size_t owned = tally.Of(TallyKind::kPackageFile).entries)
    words += std::to_string(owned) + (owned == 1 ? " package file" : " package files") + " kept, ";
  const std::size_t failed = tally.Problems();
  words += std::to_string(failed) + " failed";
  if (failed) {
    words += " (";
    bool first = true;
    for (const auto& [reason, count] : reasons) {
      if (!first) words += ", ";
      words += std::to_string(count) + " " + reason;
      first = false;
    }
    words += ")";
  }
  return words;
}

}  // namespace kelvo::cli
