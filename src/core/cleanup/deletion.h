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
class PackageFilter;
}  // namespace kelvo::scan

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
};

DeletionRequest RequestFor(const scan::JunkItem& item);

// What a row of that rule found below that scan root takes with it: rows of a junk location tidy
// their location, and those of a trash's "files" folder the items' descriptions too.
Tidy TidyFor(int rule, NativeStringView root);

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
  kKept,         // on the keep-list (added since the scan, or a list row), by path or by identity
  kNoTrash,      // its file system has no trash that may be used
  kPackageFile,  // an installed package owns it
  kWrongKind,    // a device, FIFO or socket
  kBadPath,      // not a plain absolute path below its root ("..", ".", "//")
  kTrashItemRemains,    // a trashed item's description while the item is still there
  kKeepListUnreadable,  // the keep-list could not be read: nothing is removed unchecked
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
  bool intoTrash = false;   // moved (or, in a dry run, to be moved) into a trash, not deleted
};

struct DeletionOptions {
  bool toTrash = false;  // move into the desktop's trash instead of deleting
  // Checked again right before each row: a row the list keeps, or one below a kept folder, stays.
  const scan::KeepList* keep = nullptr;
  scan::PackageFilter* packageFiles = nullptr;  // when set, package files stay
  bool dryRun = false;                          // check everything, remove nothing
};

using DeletionProgress = std::function<void(std::size_t done, std::size_t total)>;

// Passes the rows through one removal gate (removal_gate.h) in the order given (callers pass the
// bottom of their list first) and returns one result per row, in the same order. Progress is
// reported after every row, on the calling thread. Blocking; may run on any thread, each call with
// its own open folders.
std::vector<DeletionResult> DeleteItems(const std::vector<DeletionRequest>& rows,
                                        const DeletionProgress& progress = {},
                                        const DeletionOptions& options = {});

}  // namespace kelvo::cleanup
