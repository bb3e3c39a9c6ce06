// Moving an entry into the freedesktop.org trash: the home trash ($XDG_DATA_HOME/Trash) for entries
// on the home trash's own mount, else the trash at the top of the entry's mount
// ($topdir/.Trash/$UID when .Trash is a sticky folder and no link, else $topdir/.Trash-$UID). The
// .trashinfo file is created first, exclusively, then the entry is renamed from its pinned parent
// folder; a rename never crosses a file system, so an entry without a usable trash on its own mount
// stays.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/entry_removal.h"
#include "platform/file_system.h"
#include "platform/posix/unique_fd.h"

namespace kelvo::platform {

class FreedesktopTrash {
 public:
  // name in the folder parentFd, whose full path is fullPath, as checked (checked.device and
  // inode), on the given mount (0: not known). What the rename moved is looked at in the trash:
  // when another entry was swapped in between the check and the rename, it is moved back and
  // the move reported kChanged. Trash folders found are kept open for the next entries.
  RemovalReport Move(int parentFd, const char* name, std::string_view fullPath,
                     const EntryStat& checked, std::uint64_t mount);

 private:
  struct Bin {
    std::uint64_t device = 0;
    std::uint64_t mount = 0;
    bool usable = false;
    UniqueFd files;
    UniqueFd info;
    std::string folder;   // the trash folder, as shown to the user
    std::string top;      // paths are written relative to it; empty: absolute (the home trash)
    std::error_code why;  // when not usable
  };

  RemovalReport PutBack(int parentFd, const char* name, Bin& bin, const std::string& target,
                        const std::string& infoName);
  Bin& Find(std::string_view fullPath, std::uint64_t device, std::uint64_t mount);
  Bin OpenHomeBin();
  Bin OpenTopBin(std::string_view fullPath, std::uint64_t device, std::uint64_t mount);

  bool homeTried_ = false;
  Bin home_;
  std::vector<Bin> tops_;
};

// Percent-encodes a path for a .trashinfo file: every byte but letters, digits, "-._~" and "/".
std::string EncodeTrashPath(std::string_view path);

}  // namespace kelvo::platform
