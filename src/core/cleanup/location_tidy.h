// What a deletion in a junk location leaves behind: folders below the location that it emptied,
// and a trashed item's description in the trash's info folder.
#pragma once

#include "cleanup/deletion.h"

namespace kelvo::platform {
class EntryRemover;
}

namespace kelvo::cleanup {

// After row was deleted: removes, from the row's own folder upwards, each folder that is now empty,
// stopping at the first that is not and never removing the root (the location's folder) itself;
// folders are removed only while empty, never with contents. When the row's trashed item is gone
// (the row was the item, or the item's folder was just removed), its NAME.trashinfo goes too.
void TidyAfterDeletion(const DeletionRequest& row, platform::EntryRemover& remover);

}  // namespace kelvo::cleanup
