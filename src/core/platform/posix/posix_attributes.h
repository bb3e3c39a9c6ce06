// The attribute word of a POSIX entry, in the Windows layout the rules are written for.
#pragma once

#include <sys/stat.h>

#include <cstdint>

#include "platform/file_system.h"

namespace kelvo::platform {

inline EntryType TypeFromMode(mode_t mode) {
  if (S_ISREG(mode)) return EntryType::kFile;
  if (S_ISDIR(mode)) return EntryType::kDirectory;
  if (S_ISLNK(mode)) return EntryType::kSymlink;
  return EntryType::kOther;
}

// A name starting with "." is hidden. Without the mode the read-only bit is unknown, which only
// matters for directories: every other entry already has a non-zero word.
inline std::uint32_t AttributesFromType(EntryType type, bool dotName) {
  std::uint32_t a = 0;
  if (type == EntryType::kDirectory) a |= attr::kDirectory;
  if (type == EntryType::kSymlink) a |= attr::kReparsePoint;
  if (dotName) a |= attr::kHidden;
  if (a == 0) a = attr::kNormal;
  return a;
}

inline std::uint32_t AttributesFromMode(mode_t mode, bool dotName) {
  std::uint32_t a = AttributesFromType(TypeFromMode(mode), dotName);
  if (!S_ISLNK(mode) && (mode & S_IWUSR) == 0) {
    a |= attr::kReadOnly;
    a &= ~attr::kNormal;
  }
  return a;
}

}  // namespace kelvo::platform
