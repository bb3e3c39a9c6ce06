// Reading one folder for the walk: opening it below its parent, listing it once, examining the
// entries the walk must know more of, and collecting its sub-folders. Touches no sink, so it
// may run on any thread.
#pragma once

#include <cstdint>
#include <memory>
#include <system_error>
#include <vector>

#include "platform/file_system.h"
#include "scan/classifier.h"
#include "scan/folder_markers.h"
#include "scan/junk_rules.h"

namespace kelvo::scan {

// A sub-folder collected from its parent's listing, to be entered later.
struct SubFolder {
  NativeString name;
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  bool identityKnown = false;
};

// Where the walk's root lies: a folder on another device or another mount (a bind mount of the
// same file system included) is a boundary. mount is 0 where the platform does not tell.
struct RootMount {
  std::uint64_t device = 0;
  std::uint64_t mount = 0;
  bool Holds(const platform::Directory& dir) const {
    return dir.Device() == device && (mount == 0 || dir.MountId() == 0 || dir.MountId() == mount);
  }
};

struct FolderContents {
  std::shared_ptr<platform::Directory> dir;
  platform::Listing listing;
  std::vector<EntryFacts> facts;    // one per listing entry
  std::vector<SubFolder> children;  // in listing order
  std::error_code error;            // the folder could not be opened or listed
  bool elsewhere = false;           // on another file system or mount than the root: not entered

  void Clear();  // keeps the buffers for the next folder
};

// Opens a sub-folder below its open parent into out.dir. A folder that is not the one the listing
// saw (replaced in between) fails as if it had vanished; one on another file system or mount is
// marked elsewhere and closed again.
void OpenSubFolder(platform::Directory& parent, const SubFolder& child, const RootMount& root,
                   FolderContents& out);

// Lists out.dir into out: the entries with what the listing tells of them (an entry of unknown type
// is examined for its type), and the sub-folders to enter: directories whose names do not start
// with "." (all of them with dotFolders, inside a junk location). Returns the listing's error.
[[nodiscard]] std::error_code ReadFolder(FolderContents& out, bool dotFolders = false);

class KeepList;

// Drops the sub-folders that keep keeps, before anything opens them, counting each as held back.
// folderPath is the path of the folder listed, ending with the separator.
void DropKeptFolders(const KeepList& keep, NativeStringView folderPath,
                     std::vector<SubFolder>& children);

// Examines now the entries that rows would need examined under the given rules (name hits, entries
// below a marker folder, files for the zero-byte rule), so that the classifier finds them ready.
void ExamineLikelyHits(const RuleSwitches& rules, const MarkerCounts& markers,
                       FolderContents& contents);

}  // namespace kelvo::scan
