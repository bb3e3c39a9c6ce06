// Cheap signs that another program is using files: the lock links browsers keep in their
// profiles, and advisory locks on lock files (apt's archives lock).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

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

// Whether an IP address ("127.0.1.1", "fe80::1") is one of this machine's: a loopback address or
// one of its interfaces'. Firefox names its host by an address in its lock.
bool IsOwnAddress(std::string_view address);

// Who owns the entry at path, the entry itself (a link is not followed).
struct EntryOwner {
  std::uint32_t user = 0;
  bool directory = false;
  bool link = false;
  bool sticky = false;  // the sticky bit: only an entry's owner may remove or rename it
};
std::optional<EntryOwner> OwnerOf(const NativeString& path);

// The user id this process acts as (its effective id).
std::uint32_t EffectiveUserId();

// Up to bytes of a regular file's start; empty when it is missing, no regular file or a link
// (opened without blocking, so a FIFO never hangs the caller).
std::string ReadFileStart(const NativeString& path, std::size_t bytes);

// The device and inode of every file a process on this machine holds open, as far as this
// process may see (all of them for root).
std::vector<std::pair<std::uint64_t, std::uint64_t>> OpenFileIds();

}  // namespace kelvo::platform
