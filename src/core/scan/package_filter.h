// Keeps files that installed packages own out of the results. The package lists are loaded on a
// thread of their own from the moment the filter is made, so the walk starts at once; only a hit
// waits for them, and only the first one.
#pragma once

#include <atomic>
#include <cstddef>
#include <future>

#include "platform/package_files.h"

namespace kelvo::scan {

class PackageFilter {
 public:
  explicit PackageFilter(platform::PackageDatabases databases);

  // How a path handed to KeepsOut was come by.
  enum class PathForm {
    kAsGiven,   // from a user or a list: its folder part is resolved before comparing
    kResolved,  // found by a walk from a resolved root that follows no links: canonical already
  };

  // Whether an installed package owns the file or folder at path (compared in canonical form).
  // A true answer is counted as a kept package file.
  bool KeepsOut(NativeStringView path, PathForm form = PathForm::kAsGiven);
  std::size_t Kept() const { return kept_.load(std::memory_order_relaxed); }
  const platform::PackageFileIndex& Index() const { return index_.get(); }

 private:
  std::shared_future<platform::PackageFileIndex> index_;
  std::atomic<std::size_t> kept_{0};
};

}  // namespace kelvo::scan
