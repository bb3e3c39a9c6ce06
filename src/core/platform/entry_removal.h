// Removing one directory entry that a scan reported, without ever leaving the scanned tree: the
// path is walked from its root one component at a time, no symbolic link, reparse point or mount
// point (bind mounts of the same file system included) is passed, and the entry must still be the
// one the scan saw, checked once more right before it is removed.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <system_error>

#include "platform/file_system.h"
#include "platform/native_string.h"

namespace kelvo::platform {

struct ExpectedEntry {
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  EntryType type = EntryType::kUnknown;  // kUnknown: device and inode are compared alone
  // Compared for everything but folders, whose times change with their contents; a file deleted
  // and created again may get the same inode number back, but not the same times.
  std::optional<std::int64_t> modified;  // nanoseconds since 1970
  std::optional<std::int64_t> born;      // nanoseconds since 1970, where the platform tells it
};

// Folders that must never be entered or removed, known by identity so that a second path to them
// (a bind mount, another name) cannot pass: every folder on the way, the root included, and a
// folder to be removed are shown to it.
class FolderGuard {
 public:
  virtual ~FolderGuard() = default;
  virtual bool Keeps(std::uint64_t device, std::uint64_t inode) const = 0;
};

struct RemovalTarget {
  NativeStringView path;  // absolute
  // The folder the scan started from, a prefix of path ending with the separator. Empty when not
  // known: the walk then starts at the file system's top and may cross into other file systems.
  NativeStringView root;
  std::optional<ExpectedEntry> expected;
  // The size the scan saw; a file of another size has changed since and stays.
  std::optional<std::uint64_t> size;
  // Only such an entry may be a folder, and it is removed only while it is empty.
  bool emptyFolder = false;
  const FolderGuard* guard = nullptr;  // kKept when a folder on the way or the entry is kept
  // The root is opened as the user named it, links in it included; a step taken on behalf of
  // another user (with rights that user lacks) follows no link at all, not even in the root.
  bool followRootLinks = true;
};

enum class RemovalStatus : std::uint8_t {
  kRemoved,
  kGone,             // nothing by that name any more
  kChanged,          // another entry than the one expected stands there
  kLinkInPath,       // a folder on the way is a symbolic link or reparse point
  kOtherFileSystem,  // a folder on the way lies on another file system or mount than the root
  kPermissionDenied,
  kInUse,
  kNotEmpty,
  kIsDirectory,  // a folder where no folder may be removed
  kNoTrash,      // to be trashed, but its file system has no trash that may be used: kept
  kKept,         // a folder on the way, or the entry itself, is one the guard keeps
  kWrongKind,    // a device, FIFO or socket: never a file a scan lists
  kFailed,       // with std::errc::invalid_argument: the path is not a plain path below its root
};

struct RemovalReport {
  RemovalStatus status = RemovalStatus::kFailed;
  std::error_code error;    // the platform's error, when one caused the status
  std::uint64_t bytes = 0;  // size of the removed entry
  NativeString trash;       // the trash folder the entry was moved into, when trashed
};

// Keeps the folders of the last path open between calls and walks only the part of the next path
// that differs, so rows given in path order cost time linear in the tree, however deep it is. One
// remover per thread.
class EntryRemover {
 public:
  virtual ~EntryRemover() = default;
  virtual RemovalReport Remove(const RemovalTarget& target) = 0;
  // How many folders this remover has opened so far.
  virtual std::uint64_t FoldersOpened() const = 0;
};

// What becomes of a removed entry: unlinked, or moved into the desktop's trash (the freedesktop.org
// trash on Linux, the Recycle Bin on Windows), from where the user can restore it. Trashing never
// copies: an entry whose file system has no usable trash stays where it is (kNoTrash). A folder is
// never moved, since a move takes whatever it holds by then along: an empty-folder row is removed
// with rmdir either way. kCheck makes every check of a removal and removes nothing: kRemoved then
// means "would be removed" (a dry run).
enum class Disposal { kDelete, kTrash, kCheck };

std::unique_ptr<EntryRemover> MakeNativeEntryRemover(Disposal disposal = Disposal::kDelete);

}  // namespace kelvo::platform
