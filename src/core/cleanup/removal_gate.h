// The one place that decides whether an entry may be removed or moved, and does it. Every way
// Kelvo removes something (the window's rows, json, tsv, plain and NUL lists, junk locations and
// their tidy step, deleting or trashing, a dry run) passes each row through a gate, which decides
// from the entry on disk and not from the row that named it:
//  - the keep-list as it stands now (read again when its file changed), by path and by the
//    identity of kept folders, so that a bind mount or a second path cannot pass; a list that
//    cannot be read stops every removal;
//  - files an installed package owns stay, whatever path led to them;
//  - the kind: a regular file or a link, or a folder only for an empty-folder row and only with
//    rmdir (never renamed, never trashed); devices, FIFOs and sockets never;
//  - the identity the scan saw, checked from the folder held open, right before the act;
//  - an entry inside a trash is deleted for good with its description, never moved again, and a
//    description goes only with its item.
// A trash move is checked again after the rename and undone when another entry was swapped in.
#pragma once

#include <memory>

#include "cleanup/deletion.h"
#include "cleanup/deletion_tally.h"
#include "cleanup/keep_list_source.h"
#include "cleanup/trash_place.h"
#include "platform/entry_removal.h"

namespace kelvo::scan {
class PackageFilter;
}

namespace kelvo::cleanup {

struct GateChoices {
  bool toTrash = false;            // move into the desktop's trash instead of deleting
  bool dryRun = false;             // every check made, nothing removed: the plan of a real run
  KeepListSource* keep = nullptr;  // none: no keep-list in use
  scan::PackageFilter* packageFiles = nullptr;  // none: package files are not looked for
  // Off for a step taken for another user: no link is followed, not even in a row's root.
  bool followRootLinks = true;
};

class RemovalGate {
 public:
  explicit RemovalGate(const GateChoices& choices);
  // With the platform's removers replaced (tests): remover acts as asked, deleter deletes for
  // good (rows inside a trash, the tidy step) and may be the same object.
  RemovalGate(const GateChoices& choices, std::unique_ptr<platform::EntryRemover> remover,
              std::unique_ptr<platform::EntryRemover> deleter);
  ~RemovalGate();
  RemovalGate(const RemovalGate&) = delete;
  RemovalGate& operator=(const RemovalGate&) = delete;

  // Decides on one row and, unless a dry run, acts; the result is counted in the tally.
  DeletionResult Pass(const DeletionRequest& row);

  const DeletionTally& Tally() const { return tally_; }
  bool DryRun() const { return choices_.dryRun; }
  bool ToTrash() const { return choices_.toTrash; }

 private:
  DeletionResult Decide(const DeletionRequest& row);
  DeletionResult Act(const DeletionRequest& row, const scan::KeepList* keep,
                     const TrashPlace& place);
  void Tidy(const DeletionRequest& row, const scan::KeepList* keep, const TrashPlace& place);
  bool RootAncestorsKept(const DeletionRequest& row,
                         const std::shared_ptr<const scan::KeepList>& keep);

  GateChoices choices_;
  std::unique_ptr<platform::EntryRemover> remover_;
  std::unique_ptr<platform::EntryRemover> deleter_;  // null: remover_ deletes for good itself
  DeletionTally tally_;
  NativeString checkedRoot_;  // the last root whose folders above it were checked and passed
  std::shared_ptr<const scan::KeepList> checkedRootList_;  // held, so its address is not reused
};

}  // namespace kelvo::cleanup
