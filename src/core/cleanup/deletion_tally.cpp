#include "cleanup/deletion_tally.h"

namespace kelvo::cleanup {

TallyKind TallyKindOf(const DeletionResult& result) {
  switch (result.outcome) {
    case DeletionOutcome::kDeleted:
      return result.intoTrash ? TallyKind::kMoved : TallyKind::kDeleted;
    case DeletionOutcome::kAlreadyGone:
      return TallyKind::kAlreadyGone;
    case DeletionOutcome::kFailed:
      break;
  }
  switch (result.failure) {
    case DeletionFailure::kChangedSinceScan:
      return TallyKind::kChanged;
    case DeletionFailure::kKept:
      return TallyKind::kKept;
    case DeletionFailure::kPackageFile:
      return TallyKind::kPackageFile;
    case DeletionFailure::kLinkInPath:
    case DeletionFailure::kOtherFileSystem:
    case DeletionFailure::kNotEmpty:
    case DeletionFailure::kIsDirectory:
    case DeletionFailure::kWrongKind:
    case DeletionFailure::kBadPath:
    case DeletionFailure::kTrashItemRemains:
      return TallyKind::kRefused;
    case DeletionFailure::kNone:
    case DeletionFailure::kPermissionDenied:
    case DeletionFailure::kInUse:
    case DeletionFailure::kNoTrash:
    case DeletionFailure::kKeepListUnreadable:
    case DeletionFailure::kOther:
      break;
  }
  return TallyKind::kFailed;
}

void DeletionTally::Add(const DeletionResult& result, const DeletionRequest& row) {
  const TallyKind kind = TallyKindOf(result);
  TallyCount& count = counts_[static_cast<std::size_t>(kind)];
  ++count.entries;
  const bool removed = kind == TallyKind::kDeleted || kind == TallyKind::kMoved;
  count.bytes += removed ? result.bytes : row.size.value_or(0);
  if (!result.trash.empty()) trashes_.insert(result.trash);
  ++rows_;
}

TallyCount DeletionTally::Removed() const {
  const TallyCount& deleted = Of(TallyKind::kDeleted);
  const TallyCount& moved = Of(TallyKind::kMoved);
  return {deleted.entries + moved.entries, deleted.bytes + moved.bytes};
}

std::size_t DeletionTally::Problems() const {
  return Of(TallyKind::kChanged).entries + Of(TallyKind::kRefused).entries +
         Of(TallyKind::kFailed).entries;
}

}  // namespace kelvo::cleanup
