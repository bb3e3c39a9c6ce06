// The files and folders that the system's installed packages own, read from the package
// managers' own lists: dpkg (var/lib/dpkg/info/*.list), pacman (var/lib/pacman/local/*/files),
// apk (lib/apk/db/installed) and, when rpm is installed, `rpm -qal`. Every path is kept in its
// canonical form (the folder part resolved, so that /lib/x and /usr/lib/x are one path on a
// merged-/usr system). Windows has no such lists: the set stays empty.
//
// Reading the lists costs a few hundred milliseconds and tens of megabytes, so the sorted index is
// kept in a cache file between scans and mapped, not read: a scan touches only the pages its hits
// look up. The file is a safety filter's data: it is used only when it belongs to the effective
// user, nobody else may write it or its folder, its format, size and checksum are right and it was
// built from the databases as they are now (their change times and sizes); otherwise the lists
// are read again and the file rewritten.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "platform/native_string.h"
#include "text/result.h"

namespace kelvo::platform {

// A sorted set of paths held in one buffer: about the size of the lists' text, no node per path.
// Built by Add and Finish, or laid over a mapped cache file.
class PackageFileIndex {
 public:
  void Add(NativeStringView path);
  void Finish();  // sorts and drops duplicates; call once after the last Add
  bool Contains(NativeStringView path) const;
  std::size_t size() const { return count_; }
  std::size_t MemoryBytes() const;

  // After Finish: offsets into Text() in the order of their paths, each path ended by a NUL.
  std::span<const std::uint32_t> Starts() const { return {starts_, count_}; }
  NativeStringView Text() const { return {text_, textSize_}; }

  // An index over offsets and text that owner keeps alive (a mapped file). The caller has checked
  // that text is empty or ends with a NUL; offsets past it are never followed.
  static PackageFileIndex Over(std::shared_ptr<const void> owner,
                               std::span<const std::uint32_t> starts, NativeStringView text);

 private:
  struct Building {
    NativeString text;
    std::vector<std::uint32_t> starts;
  };
  NativeStringView At(std::uint32_t start) const;

  std::shared_ptr<Building> building_;  // the storage of an index made by Add
  std::shared_ptr<const void> owner_;   // or of one laid over a file
  const std::uint32_t* starts_ = nullptr;
  std::size_t count_ = 0;
  const NativeChar* text_ = nullptr;
  std::size_t textSize_ = 0;
};

struct PackageDatabases {
  NativeString root;  // the databases are found under it ("/" on the running system)
  bool useRpm = false;
  NativeString cacheFolder;  // where the index is kept between scans; empty: read every time
};

// "/" and rpm when an rpm database is there, cached in /var/cache/kelvo for root and in
// $XDG_CACHE_HOME/kelvo (~/.cache/kelvo) for a user; on Windows, none.
PackageDatabases SystemPackageDatabases();

PackageFileIndex LoadPackageFiles(const PackageDatabases& databases);

// What the databases look like now (identity, size, change and modification times of each), in
// one string that a cached index must have been built from. Taken before reading the lists, so
// that a change while they are read leaves the cache stale.
std::string PackageDatabaseStamp(const PackageDatabases& databases);

// The index cached in folder, when it can be trusted and was built from databases with stamp;
// otherwise why not.
Result<PackageFileIndex> OpenPackageFilesCache(const NativeString& folder, std::string_view stamp);

// Writes index into folder (made when missing) under stamp: a new file renamed over the old one,
// no link followed.
[[nodiscard]] std::error_code SavePackageFilesCache(const NativeString& folder,
                                                    std::string_view stamp,
                                                    const PackageFileIndex& index);

// The cache file's name inside its folder.
inline constexpr std::string_view kPackageFilesCacheName = "package-files.index";

// path with its folder part resolved to the canonical folder (unchanged when that fails).
NativeString CanonicalFolderPath(NativeStringView path);

}  // namespace kelvo::platform
