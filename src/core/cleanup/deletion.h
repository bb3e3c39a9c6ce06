// Deleting the rows a user chose: each entry is reached safely from its scan root, checked against
// what the scan saw, and deleted alone; never recursively, never through a symbolic link.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "platform/native_string.h"
#include "scan/junk_item.h"

namespace kelvo::platform {
class EntryRemover;
}
namespace kelvo::scan {
class KeepList;
}

namespace kelvo::cleanup {

// What else a deleted row takes with it.
enum class Tidy : std::uint8_t {
  kNone,
  kEmptyFolders,  // a row of a junk location: folders below the location left empty go too
  kTrashItem,     // also the trashed item's description, once the item is gone
};

struct DeletionRequest {
  NativeString path;
  NativeString root;  // empty: walk from the top of the file system (lists without a root)
  std::optional<scan::EntryIdentity> identity;  // checked when present
  bool emptyFolder = false;                     // the only kind of row that may remove a folder
  std::optional<std::uint64_t> size;            // as the scan saw it, for confirmations
  Tidy tidy = Tidy::kNone;
  bool inTrash = false;  // a row of the trash location: emptying the trash deletes for good
};

DeletionRequest RequestFor(const scan::JunkItem& item);

// What a row of that rule found below that scan root takes with it: rows of a junk location tidy
// their location, and those of a trash's "files" folder the items' descriptions too.
Tidy TidyFor(int rule, NativeStringView root);
bool InTrash(int rule);

enum class DeletionOutcome { kDeleted, kAlreadyGone, kFailed };

enum class DeletionFailure {
  kNone,
  kChangedSinceScan,
  kLinkInPath,
  kOtherFileSystem,
  kPermissionDenied,
  kInUse,
  kNotEmpty,
  kIsDirectory,
  kKept,     // on the keep-list (added since the scan, or a list row)
  kNoTrash,  // its file system has no trash that may be used
  kOther,
};

// The one translation of what the platform's removal reported; the programs on top put it in
// their own words.
struct DeletionResult {
  DeletionOutcome outcome = DeletionOutcome::kFailed;
  DeletionFailure failure = DeletionFailure::kOther;
  std::error_code error;    // the system's error behind a failure, when there is one
  std::uint64_t bytes = 0;  // bytes of a deleted file
  NativeString trash;       // the trash folder a trashed entry went to
};

struct DeletionOptions {
  bool toTrash = false;  // move into the desktop's trash instead of deleting
  // Checked again right before each row: a row the list keeps, or one below a kept folder, stays.
  const scan::KeepList* keep = nullptr;
};

using DeletionProgress = std::function<void(std::size_t done, std::size_t total)>;

// Deletes the rows in the order given (callers pass the bottom of their list first) and returns
// one result per row, in the same order. Progress is reported after every row, on the calling
// thread. Blocking; may run on any thread, each call with its own open folders.
std::vector<DeletionResult> DeleteItems(const std::vector<DeletionRequest>& rows,
                                        const DeletionProgress& progress = {},
                                        const DeletionOptions& options = {});

// The same with a given remover (which decides between deleting and trashing); rows already in a
// trash go to inTrashRemover when one is given.
std::vector<DeletionResult> DeleteItems(const std::vector<DeletionRequest>& rows,
                                        platform::EntryRemover& remover,
                                        const DeletionProgress& progress,
                                        const scan::KeepList* keep = nullptr,
                                        platform::EntryRemover* inTrashRemover = nullptr);

}  // namespace kelvo::cleanup
