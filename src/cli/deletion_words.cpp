#include "deletion_words.h"

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
    case DeletionFailure::kNone:
    case DeletionFailure::kOther:
      break;
  }
  if (result.error == std::errc::invalid_argument) return "not a plain path below its scan root";
  return result.error ? result.error.message() : std::string("failed");
}

}  // namespace kelvo::cli
