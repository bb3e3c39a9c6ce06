// Keeps files that installed packages own out of the results. The index is opened (or, when its
// cache file is missing, stale or not to be trusted, built from the package lists and cached
// again) on a thread of its own from the moment the filter is made, so the walk starts at once;
// only a hit waits for it, and only the first one.
#pragma once

#include <atomic>
#include <cstddef>
#include <future>
#include <system_error>
#include <thread>

#include "platform/mount_paths.h"
#include "platform/package_files.h"

namespace kelvo::scan {

class PackageFilter {
 public:
  explicit PackageFilter(platform::PackageDatabases databases);
  ~PackageFilter();  // waits for the cache file to be written
  PackageFilter(const PackageFilter&) = delete;
  PackageFilter& operator=(const PackageFilter&) = delete;

  // How a path handed to KeepsOut was come by.
  enum class PathForm {
    kAsGiven,   // from a user or a list: its folder part is resolved before comparing
    kResolved,  // found by a walk from a resolved root that follows no links: canonical already
  };

  // Whether an installed package owns the file or folder at path (compared in canonical form,
  // and through a bind mount as the path on the file system's primary mount).
  // A true answer is counted as a kept package file.
  bool KeepsOut(NativeStringView path, PathForm form = PathForm::kAsGiven);
  std::size_t Kept() const { return kept_.load(std::memory_order_relaxed); }
  const platform::PackageFileIndex& Index() const { return loaded_.get().index; }

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
  // Whether the index names path once its folders are resolved and it is seen on its file
  // system's primary mount.
  static bool OwnedOnceResolved(const Loaded& loaded, NativeStringView path, PathForm form);
  static void Load(const platform::PackageDatabases& databases, std::promise<Loaded>& loaded,
                   std::promise<std::error_code>& cacheWritten);

  std::shared_future<Loaded> loaded_;
  std::shared_future<std::error_code> cacheWritten_;
  std::thread loader_;
  std::atomic<std::size_t> kept_{0};
};

}  // namespace kelvo::scan
