// What a deletion in a junk location leaves behind: folders below the location that it emptied,
// and a trashed item's description in the trash's info folder.
#pragma once

#include "cleanup/deletion.h"

namespace kelvo::platform {
class EntryRemover;
class FolderGuard;
}  // namespace kelvo::platform
namespace kelvo::scan {
class KeepList;
}

namespace kelvo::cleanup {

// After row was deleted: removes, from the row's own folder upwards, each folder that is now empty,
// stopping at the first that is not and never removing the root (the location's folder) itself;
// folders are removed only while empty, never with contents. When the row's trashed item is gone
// (the row was the item, or the item's folder was just removed), its NAME.trashinfo goes too.
// What no tidied folder may be: kept by identity (guard) or by path (keep), or reached through a
// link where links are not followed.
struct TidyGuards {
  const platform::FolderGuard* guard = nullptr;
  const scan::KeepList* keep = nullptr;
  bool followRootLinks = true;
};

// remover deletes for good: an emptied folder is removed with rmdir, never moved anywhere.
void TidyAfterDeletion(const DeletionRequest& row, platform::EntryRemover& remover,
                       const TidyGuards& guards = {});

}  // namespace kelvo::cleanup
