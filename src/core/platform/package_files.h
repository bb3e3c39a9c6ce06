// The files and folders that the system's installed packages own, read from the package
// managers' own lists: dpkg (var/lib/dpkg/info/*.list), pacman (var/lib/pacman/local/*/files),
// apk (lib/apk/db/installed) and, when rpm is installed, `rpm -qal`. Every path is kept in its
// canonical form (the folder part resolved, so that /lib/x and /usr/lib/x are one path on a
// merged-/usr system). Windows has no such lists: the set stays empty.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/native_string.h"

namespace kelvo::platform {

// A sorted set of paths held in one buffer: about the size of the lists' text, no node per path.
class PackageFileIndex {
 public:
  void Add(NativeStringView path);
  void Finish();  // sorts and drops duplicates; call once after the last Add
  bool Contains(NativeStringView path) const;
  std::size_t size() const { return starts_.size(); }
  std::size_t MemoryBytes() const;

 private:
  NativeStringView At(std::uint32_t start) const;
  NativeString text_;  // the paths, each ended by a NUL
  std::vector<std::uint32_t> starts_;
};

struct PackageDatabases {
  NativeString root;  // the databases are found under it ("/" on the running system)
  bool useRpm = false;
};

// "/" and rpm when an rpm database is there; on Windows, none.
PackageDatabases SystemPackageDatabases();

PackageFileIndex LoadPackageFiles(const PackageDatabases& databases);

// path with its folder part resolved to the canonical folder (unchanged when that fails).
NativeString CanonicalFolderPath(NativeStringView path);

}  // namespace kelvo::platform
