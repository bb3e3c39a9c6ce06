// Small whole-file updates that never leave a torn file: the new content goes to a temporary file
// beside the target, is flushed to disk and then renamed over the target in one step.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

#include "platform/file_refusal.h"
#include "platform/native_string.h"
#include "text/result.h"

namespace kelvo::platform {

// The rules for a file of the program's own, read or written. A symbolic link on the way is
// followed only when it belongs to the effective user or to root (a write also needs the target
// to belong to the effective user), else FileRefusal::kForeignLink; only a regular file is read,
// opened without blocking, so a FIFO or a device at the path gives FileRefusal::kNotRegularFile
// and never hangs; a file larger than kLargestOwnFile gives std::errc::file_too_large. On Windows a
// reparse point at the path counts as a foreign link.
inline constexpr std::size_t kLargestOwnFile = 64 * 1024 * 1024;

// A whole file's bytes. A missing file gives std::errc::no_such_file_or_directory.
Result<std::string> ReadWholeFile(const NativeString& path);

// Computes the next content from the current one; `existed` tells whether the file was there.
// Returns nothing when the file is to stay exactly as it is.
using FileEdit = std::function<std::optional<std::string>(std::string_view current, bool existed)>;

// Reads the file (empty when missing), applies edit and, when it returns content, replaces the
// file atomically, keeping the old file's permissions and owner (a new file made by root in
// another user's folder belongs to the folder's owner). A symbolic link that passes the rules
// above is followed, so the file it points to is replaced and the link stays. Concurrent updates
// through this function are serialised (an advisory lock on the folder on POSIX). The folder must
// exist. On any failure the old file is left as it was and the reason is returned.
[[nodiscard]] std::error_code UpdateFileAtomically(const NativeString& path, const FileEdit& edit);

// Creates folder and its missing parents (private to the user on POSIX, mode 0700, owned by the
// owner of the folder they are made in), following only the links the rules above allow.
[[nodiscard]] std::error_code MakeFolders(const NativeString& folder);

// Test seam for the final rename. When set, the hook runs after the temporary file is complete and
// flushed and before the rename; an error from it aborts the update as a failed rename would.
using CommitHook = std::error_code (*)(const NativeString& temporary, const NativeString& target);
// Sets the hook (nullptr removes it) and returns the previous one.
CommitHook SetCommitHookForTesting(CommitHook hook);

}  // namespace kelvo::platform
