// Keeps files that installed packages own out of the results: those their lists name and, in the
// system's package folders, those their scripts made (indexes and backups that no list names) in a
// folder a package owns. The index is opened (or, when its
// cache file is missing, stale or not to be trusted, built from the package lists and cached
// again) on a thread of its own from the moment the filter is made, so the walk starts at once;
// only a hit waits for it, and only the first one.
#pragma once

#include <atomic>
#include <cstddef>
#include <future>
#include <system_error>
#include <thread>
#include <vector>

#include "platform/mount_paths.h"
#include "platform/package_files.h"

namespace kelvo::scan {

// /usr, /etc, /boot, /opt and /var/lib, each with a final separator: below them a file in a folder
// that a package owns belongs to that package. Not /var/cache, /var/log or /var/tmp, where junk
// locations lie.
std::vector<NativeString> SystemPackageTrees();

class PackageFilter {
 public:
  // trees: where a file in a package-owned folder counts as a package's (tests stand a temporary
  // folder in for the system's).
  explicit PackageFilter(platform::PackageDatabases databases,
                         std::vector<NativeString> trees = SystemPackageTrees());
  ~PackageFilter();  // waits for the cache file to be written
  PackageFilter(const PackageFilter&) = delete;
  PackageFilter& operator=(const PackageFilter&) = delete;

  // How a path handed to KeepsOut was come by.
  enum class PathForm {
    kAsGiven,   // from a user or a list: its folder part is resolved before comparing
    kResolved,  // found by a walk from a resolved root that follows no links: canonical already
  };

  // What found the path.
  enum class Hit {
    kByRule,      // a rule's pattern: a file of a package-owned folder in the trees is kept too
    kInLocation,  // a junk location's folder (crash dumps below /var/lib): only listed files
  };

  // Whether an installed package owns the file or folder at path (compared in canonical form,
  // and through a bind mount as the path on the file system's primary mount), or, for a hit by a
  // rule below one of the trees, the folder that holds it. A true answer is counted as a kept
  // package file.
  bool KeepsOut(NativeStringView path, PathForm form = PathForm::kAsGiven, Hit hit = Hit::kByRule);
  std::size_t Kept() const { return kept_.load(std::memory_order_relaxed); }

  // Whether the index was mapped from the cache file rather than built from the lists.
  bool FromCache() const { return loaded_.get().fromCache; }
  // Why a fresh index could not be cached (none when the cache was used, written or not wanted);
  // waits for the write.
  std::error_code CacheProblem() const { return cacheWritten_.get(); }

 private:
  struct Loaded {
    platform::PackageFileIndex index;
    bool fromCache = false;
    platform::MountPaths mounts;  // to see a path through a bind mount as the same file
  };
  // Whether the index names path (or, for kByRule, its folder in the trees), also once its
  // folders are resolved and it is seen on its file system's primary mount.
  bool Owned(const Loaded& loaded, NativeStringView path, PathForm form, Hit hit) const;
  bool Names(const platform::PackageFileIndex& index, NativeStringView path, Hit hit) const;
  static void Load(const platform::PackageDatabases& databases, std::promise<Loaded>& loaded,
                   std::promise<std::error_code>& cacheWritten);

  std::shared_future<Loaded> loaded_;
  std::shared_future<std::error_code> cacheWritten_;
  std::vector<NativeString> trees_;
  std::thread loader_;
  std::atomic<std::size_t> kept_{0};
};

}  // namespace kelvo::scan
