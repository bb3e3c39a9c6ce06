#include "scan/package_filter.h"

#include <exception>

namespace kelvo::scan {
namespace {

// Read with the index, off the walk's thread; a hit needs both.
platform::MountPaths Mounts() {
  return platform::MountPaths::Current();
}

}  // namespace

PackageFilter::PackageFilter(platform::PackageDatabases databases) {
  std::promise<Loaded> loaded;
  std::promise<std::error_code> cacheWritten;
  loaded_ = loaded.get_future().share();
  cacheWritten_ = cacheWritten.get_future().share();
  loader_ = std::thread([databases = std::move(databases), loaded = std::move(loaded),
                         cacheWritten = std::move(cacheWritten)]() mutable {
    Load(databases, loaded, cacheWritten);
  });
}

PackageFilter::~PackageFilter() {
  loader_.join();
}

void PackageFilter::Load(const platform::PackageDatabases& databases, std::promise<Loaded>& loaded,
                         std::promise<std::error_code>& cacheWritten) {
  bool published = false;
  try {
    if (databases.cacheFolder.empty()) {
      loaded.set_value({platform::LoadPackageFiles(databases), false, Mounts()});
      cacheWritten.set_value({});
      return;
    }
    // Stamped before the lists are read: a change meanwhile leaves the new file stale.
    const std::string stamp = platform::PackageDatabaseStamp(databases);
    if (Result<platform::PackageFileIndex> cached =
            platform::OpenPackageFilesCache(databases.cacheFolder, stamp)) {
      loaded.set_value({std::move(*cached), true, Mounts()});
      published = true;
      cacheWritten.set_value({});
      return;
    }
    platform::PackageFileIndex index = platform::LoadPackageFiles(databases);
    loaded.set_value({index, false, Mounts()});  // the copy shares the storage
    published = true;
    // Lists that gave nothing may have failed to read: reading them again next time costs little.
    cacheWritten.set_value(
        index.size() == 0 ? std::error_code()
                          : platform::SavePackageFilesCache(databases.cacheFolder, stamp, index));
  } catch (...) {
    // A hit then fails as loudly as the lists failed to load; the cache just was not written.
    if (!published) loaded.set_exception(std::current_exception());
    cacheWritten.set_value(std::make_error_code(std::errc::not_enough_memory));
  }
}

bool PackageFilter::KeepsOut(NativeStringView path, PathForm form) {
  const Loaded& loaded = loaded_.get();
  const platform::PackageFileIndex& index = loaded.index;
  if (index.size() == 0) return false;
  if (!index.Contains(path) && !OwnedOnceResolved(loaded, path, form)) return false;
  kept_.fetch_add(1, std::memory_order_relaxed);
  return true;
}

bool PackageFilter::OwnedOnceResolved(const Loaded& loaded, NativeStringView path, PathForm form) {
  // Resolving costs a system call per folder above the file, once per hit: skipped where it is
  // known to change nothing.
  NativeString canonical;
  if (form == PathForm::kAsGiven) {
    canonical = platform::CanonicalFolderPath(path);
    if (canonical != path && loaded.index.Contains(canonical)) return true;
    path = canonical;
  }
  if (!loaded.mounts.HasBindMounts()) return false;
  const NativeString primary = loaded.mounts.PathOnPrimaryMount(path);
  return primary != path && loaded.index.Contains(primary);
}

}  // namespace kelvo::scan
