#include "scan/package_filter.h"

namespace kelvo::scan {

PackageFilter::PackageFilter(platform::PackageDatabases databases)
    : index_(std::async(std::launch::async, [databases = std::move(databases)] {
               return platform::LoadPackageFiles(databases);
             }).share()) {}

bool PackageFilter::KeepsOut(NativeStringView path, PathForm form) {
  const platform::PackageFileIndex& index = index_.get();
  if (index.size() == 0) return false;
  // Resolving costs a system call per folder above the file, once per hit: skipped where it is
  // known to change nothing.
  if (!index.Contains(path) &&
      (form == PathForm::kResolved || !index.Contains(platform::CanonicalFolderPath(path))))
    return false;
  kept_.fetch_add(1, std::memory_order_relaxed);
  return true;
}

}  // namespace kelvo::scan
