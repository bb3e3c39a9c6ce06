#include "cleanup/deletion.h"

#include <memory>

#include "cleanup/location_tidy.h"
#include "platform/entry_removal.h"
#include "platform/registry.h"
#include "scan/keep_list.h"
#include "scan/locations.h"

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
    case RemovalStatus::kNoTrash:
      r.failure = DeletionFailure::kNoTrash;
      break;
    case RemovalStatus::kGone:
      r.outcome = DeletionOutcome::kAlreadyGone;
      return r;
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
    case RemovalStatus::kFailed:
      r.failure = DeletionFailure::kOther;
      break;
  }
  r.outcome = DeletionOutcome::kFailed;
  return r;
}

}  // namespace

DeletionRequest RequestFor(const scan::JunkItem& item) {
  DeletionRequest r;
  r.path = item.fullPath;
  r.root = item.root;
  r.identity = item.identity;
  r.emptyFolder = item.emptyFolder;
  r.size = item.size;
  r.tidy = TidyFor(item.rule, r.root);
  r.inTrash = InTrash(item.rule);
  if (item.rule == scan::kAuditRule) {
    // Audit rows name Windows paths; they are deleted where this system keeps that file, or, when
    // it cannot be found, refused as a path outside any root.
    r.root.clear();
    if (auto located = platform::LocateWindowsFile(item.fullPath)) {
      r.root = located->root;
      r.path = located->path;
    }
  }
  return r;
}

Tidy TidyFor(int rule, NativeStringView root) {
  const auto location = scan::LocationOfRule(rule);
  if (!location || root.empty()) return Tidy::kNone;
  const NativeString filesFolder =
      NativeString(1, platform::kSeparator) + AsciiToNative("files") + platform::kSeparator;
  return *location == scan::kTrash && root.ends_with(filesFolder) ? Tidy::kTrashItem
                                                                  : Tidy::kEmptyFolders;
}

bool InTrash(int rule) {
  return scan::LocationOfRule(rule) == scan::kTrash;
}

std::vector<DeletionResult> DeleteItems(const std::vector<DeletionRequest>& rows,
                                        platform::EntryRemover& remover,
                                        const DeletionProgress& progress,
                                        const scan::KeepList* keep,
                                        platform::EntryRemover* inTrashRemover) {
  std::vector<DeletionResult> results;
  results.reserve(rows.size());
  for (const DeletionRequest& row : rows) {
    if (keep && keep->Covers(row.path)) {
      DeletionResult kept;
      kept.failure = DeletionFailure::kKept;
      results.push_back(kept);
      if (progress) progress(results.size(), rows.size());
      continue;
    }
    platform::RemovalTarget target;
    target.path = row.path;
    target.root = row.root;
    if (const auto& id = row.identity)
      target.expected =
          platform::ExpectedEntry{id->device, id->inode, id->type, id->modified, id->born};
    target.size = row.size;
    target.emptyFolder = row.emptyFolder;
    platform::EntryRemover& used = row.inTrash && inTrashRemover ? *inTrashRemover : remover;
    results.push_back(FromReport(used.Remove(target)));
    if (results.back().outcome == DeletionOutcome::kDeleted) TidyAfterDeletion(row, used);
    if (progress) progress(results.size(), rows.size());
  }
  return results;
}

std::vector<DeletionResult> DeleteItems(const std::vector<DeletionRequest>& rows,
                                        const DeletionProgress& progress,
                                        const DeletionOptions& options) {
  auto remover = platform::MakeNativeEntryRemover(options.toTrash ? platform::Disposal::kTrash
                                                                  : platform::Disposal::kDelete);
  // Moving what is in the trash into the trash again would never free anything.
  std::unique_ptr<platform::EntryRemover> inTrash;
  if (options.toTrash) inTrash = platform::MakeNativeEntryRemover(platform::Disposal::kDelete);
  return DeleteItems(rows, *remover, progress, options.keep, inTrash.get());
}

}  // namespace kelvo::cleanup
