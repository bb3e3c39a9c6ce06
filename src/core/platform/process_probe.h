// Cheap signs that another program is using files: the lock links browsers keep in their
// profiles, and advisory locks on lock files (apt's archives lock).
#pragma once

#include <optional>
#include <string>

#include "platform/native_string.h"

namespace kelvo::platform {

// The text of a symbolic link; empty when the entry is missing or is no link.
std::optional<std::string> ReadLinkText(const NativeString& path);

// This machine's host name, as a browser writes it into its lock.
std::string HostName();

// Whether a process with that id runs on this machine (also when it belongs to another user).
bool ProcessRuns(long long pid);

// Whether a process holds a lock on the file (POSIX record locks, as apt takes them); false when
// the file is missing or cannot be opened.
bool FileLockHeld(const NativeString& path);

// Whether an entry exists at path (a link counts as itself).
bool EntryExists(const NativeString& path);

}  // namespace kelvo::platform
