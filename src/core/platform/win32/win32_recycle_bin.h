// Moving one entry into the Recycle Bin through the shell's IFileOperation. The shell would
// delete outright what it cannot recycle (a volume without a Recycle Bin, a file too large for it);
// a progress sink refuses that, so the entry then stays.
#pragma once

#include <string>

#include "platform/entry_removal.h"

namespace kelvo::platform {

// path: the entry's full path (no "\\?\" prefix). kRemoved, kNoTrash when the shell would not
// recycle it, or the failure.
RemovalReport MoveToRecycleBin(const std::wstring& path);

}  // namespace kelvo::platform
