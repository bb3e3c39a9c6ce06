// Whether a path lies inside a freedesktop.org trash, told from the path's own folders: a
// "files" or "info" folder beside its sibling in a folder named "Trash", ".Trash-UID" or
// ".Trash/UID". What lies in a trash is deleted for good with its description, never moved into
// a trash again, and a description goes only once its item is gone.
#pragma once

#include <cstdint>

#include "platform/native_string.h"

namespace kelvo::cleanup {

enum class TrashPart : std::uint8_t {
  kNone,  // not inside a trash
  kItem,  // in "files": a trashed item or something inside one
  kInfo,  // "info/NAME.trashinfo", the description of the item "files/NAME"
};

struct TrashPlace {
  TrashPart part = TrashPart::kNone;
  NativeString trash;        // the trash folder, ending with the separator
  NativeString filesFolder;  // its "files" folder, ending with the separator
  NativeString itemName;     // kInfo: the name of the item the description belongs to
};

// path: absolute, without a trailing separator. The outermost trash counts: a trash kept inside
// a trashed folder is part of that item.
TrashPlace LocateInTrash(NativeStringView path);

// Whether the item a description belongs to is still there (a link counts; nothing is followed).
bool TrashedItemPresent(const TrashPlace& place);

}  // namespace kelvo::cleanup
