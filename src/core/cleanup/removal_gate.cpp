#include "cleanup/removal_gate.h"

#include <utility>

#include "cleanup/location_tidy.h"
#include "cleanup/trash_place.h"
#include "platform/native_path.h"
#include "scan/package_filter.h"

namespace kelvo::cleanup {
namespace {

using platform::RemovalStatus;

DeletionResult FromReport(const platform::RemovalReport& report) {
  DeletionResult r;
  r.error = report.error;
  r.failure = DeletionFailure::kNone;
  switch (report.status) {
    case RemovalStatus::kRemoved:
      r.outcome = DeletionOutcome::kDeleted;
      r.bytes = report.bytes;
      r.trash = report.trash;
      return r;
    case RemovalStatus::kGone:
      r.outcome = DeletionOutcome::kAlreadyGone;
      return r;
    case RemovalStatus::kNoTrash:
      r.failure = DeletionFailure::kNoTrash;
      break;
    case RemovalStatus::kChanged:
      r.failure = DeletionFailure::kChangedSinceScan;
      break;
    case RemovalStatus::kLinkInPath:
      r.failure = DeletionFailure::kLinkInPath;
      break;
    case RemovalStatus::kOtherFileSystem:
      r.failure = DeletionFailure::kOtherFileSystem;
      break;
    case RemovalStatus::kPermissionDenied:
      r.failure = DeletionFailure::kPermissionDenied;
      break;
    case RemovalStatus::kInUse:
      r.failure = DeletionFailure::kInUse;
      break;
    case RemovalStatus::kNotEmpty:
      r.failure = DeletionFailure::kNotEmpty;
      break;
    case RemovalStatus::kIsDirectory:
      r.failure = DeletionFailure::kIsDirectory;
      break;
    case RemovalStatus::kKept:
      r.failure = DeletionFailure::kKept;
      break;
    case RemovalStatus::kWrongKind:
      r.failure = DeletionFailure::kWrongKind;
      break;
    case RemovalStatus::kFailed:
      r.failure = report.error == std::errc::invalid_argument ? DeletionFailure::kBadPath
                                                              : DeletionFailure::kOther;
      break;
  }
  r.outcome = DeletionOutcome::kFailed;
  return r;
}

DeletionResult Refused(DeletionFailure why, std::error_code error = {}) {
  DeletionResult r;
  r.outcome = DeletionOutcome::kFailed;
  r.failure = why;
  r.error = error;
  return r;
}

// The keep-list's folders by identity, for the folders the remover walks through.
class KeptFolders final : public platform::FolderGuard {
 public:
  explicit KeptFolders(const scan::KeepList* list) : list_(list) {}
  bool Keeps(std::uint64_t device, std::uint64_t inode) const override {
    return list_ && list_->KeepsFolder(device, inode);
  }

 private:
  const scan::KeepList* list_;
};

std::unique_ptr<platform::EntryRemover> RemoverFor(const GateChoices& choices) {
  using platform::Disposal;
  return platform::MakeNativeEntryRemover(choices.dryRun    ? Disposal::kCheck
                                          : choices.toTrash ? Disposal::kTrash
                                                            : Disposal::kDelete);
}

}  // namespace

RemovalGate::RemovalGate(const GateChoices& choices)
    : RemovalGate(choices, RemoverFor(choices),
                  choices.toTrash && !choices.dryRun
                      ? platform::MakeNativeEntryRemover(platform::Disposal::kDelete)
                      : nullptr) {}

RemovalGate::RemovalGate(const GateChoices& choices,
                         std::unique_ptr<platform::EntryRemover> remover,
                         std::unique_ptr<platform::EntryRemover> deleter)
    : choices_(choices), remover_(std::move(remover)), deleter_(std::move(deleter)) {}

RemovalGate::~RemovalGate() = default;

DeletionResult RemovalGate::Pass(const DeletionRequest& row) {
  DeletionResult result = Decide(row);
  tally_.Add(result, row);
  return result;
}

DeletionResult RemovalGate::Decide(const DeletionRequest& row) {
  std::shared_ptr<const scan::KeepList> keep;
  if (choices_.keep) {
    auto current = choices_.keep->Current();
    if (!current) return Refused(DeletionFailure::kKeepListUnreadable, current.error());
    keep = std::move(*current);
  }
  const NativeString path = NativeString(platform::WithoutTrailingSeparators(row.path));
  if (keep && (keep->Covers(path) || RootAncestorsKept(row, keep)))
    return Refused(DeletionFailure::kKept);
  // A junk location's row was offered for its folder; any other row's folder may be a package's.
  const auto hit = row.tidy == Tidy::kNone ? scan::PackageFilter::Hit::kByRule
                                           : scan::PackageFilter::Hit::kInLocation;
  if (choices_.packageFiles &&
      choices_.packageFiles->KeepsOut(path, scan::PackageFilter::PathForm::kAsGiven, hit))
    return Refused(DeletionFailure::kPackageFile);
  const TrashPlace place = LocateInTrash(path);
  if (place.part == TrashPart::kInfo && TrashedItemPresent(place))
    return Refused(DeletionFailure::kTrashItemRemains);
  return Act(row, keep.get(), place);
}

DeletionResult RemovalGate::Act(const DeletionRequest& row, const scan::KeepList* keep,
                                const TrashPlace& place) {
  const KeptFolders guard(keep);
  platform::RemovalTarget target;
  target.path = row.path;
  target.root = row.root;
  if (const auto& id = row.identity)
    target.expected =
        platform::ExpectedEntry{id->device, id->inode, id->type, id->modified, id->born};
  target.size = row.size;
  target.emptyFolder = row.emptyFolder;
  target.guard = &guard;
  target.followRootLinks = choices_.followRootLinks;
  // What is in a trash already is deleted for good: moving it again would free nothing and
  // lose where it came from.
  const bool forGood = place.part != TrashPart::kNone || row.emptyFolder;
  platform::EntryRemover& used = forGood && deleter_ ? *deleter_ : *remover_;
  DeletionResult result = FromReport(used.Remove(target));
  if (result.outcome != DeletionOutcome::kDeleted) return result;
  result.intoTrash = choices_.toTrash && !forGood;
  if (!choices_.dryRun) Tidy(row, keep, place);
  return result;
}

void RemovalGate::Tidy(const DeletionRequest& row, const scan::KeepList* keep,
                       const TrashPlace& place) {
  platform::EntryRemover& rmdir = deleter_ ? *deleter_ : *remover_;
  const KeptFolders guard(keep);
  const TidyGuards guards{&guard, keep, choices_.followRootLinks};
  if (place.part == TrashPart::kItem) {
    DeletionRequest inTrash = row;
    inTrash.root = place.filesFolder;
    inTrash.tidy = Tidy::kTrashItem;
    TidyAfterDeletion(inTrash, rmdir, guards);
    return;
  }
  if (row.tidy == Tidy::kEmptyFolders) TidyAfterDeletion(row, rmdir, guards);
}

bool RemovalGate::RootAncestorsKept(const DeletionRequest& row,
                                    const std::shared_ptr<const scan::KeepList>& keep) {
  // The remover checks the root and every folder below it; the folders above a root are looked
  // at here, once per root, since a kept folder may be reached through a bind mount of it.
  if (row.root.empty() || !keep->KeepsAnyFolderIdentity()) return false;
  if (checkedRoot_ == row.root && checkedRootList_ == keep) return false;
  NativeString folder;
  std::error_code ec;
  for (std::size_t i = 0; i + 1 < row.root.size(); ++i) {
    if (row.root[i] != platform::kSeparator) continue;
    folder.assign(row.root, 0, i + 1);
    auto dir = platform::NativeFileSystem().OpenDirectory(folder, ec);
    if (dir && keep->KeepsFolder(dir->Device(), dir->Inode())) return true;
  }
  checkedRoot_ = row.root;
  checkedRootList_ = keep;
  return false;
}

}  // namespace kelvo::cleanup
