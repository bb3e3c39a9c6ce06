#include "scan/package_filter.h"

#include <algorithm>
#include <exception>
#include <string_view>
#include <utility>

#include "platform/native_path.h"

namespace kelvo::scan {
namespace {

// Read with the index, off the walk's thread; a hit needs both.
platform::MountPaths Mounts() {
  return platform::MountPaths::Current();
}

NativeStringView WithoutTrailingSeparators(NativeStringView path) {
  while (path.size() > 1 && path.back() == platform::kSeparator) path.remove_suffix(1);
  return path;
}

}  // namespace

std::vector<NativeString> SystemPackageTrees() {
  std::vector<NativeString> trees;
  for (std::string_view tree : {"/usr/", "/etc/", "/boot/", "/opt/", "/var/lib/"})
    trees.push_back(AsciiToNative(tree));
  return trees;
}

PackageFilter::PackageFilter(platform::PackageDatabases databases, std::vector<NativeString> trees)
    : trees_(std::move(trees)) {
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

namespace {

// mkfontdir's indexes of an X font folder, rewritten by font packages' triggers in system folders
// and by font tools in the user's: their names end like an installer's .dir leftovers, but a font
// folder without them loses its fonts.
bool IsFontIndex(NativeStringView path) {
  static const NativeString fonts = AsciiToNative("fonts.dir");
  static const NativeString encodings = AsciiToNative("encodings.dir");
  const NativeString name = platform::GetFileName(path);
  return name == fonts || name == encodings;
}

}  // namespace

bool PackageFilter::KeepsOut(NativeStringView path, PathForm form, Hit hit) {
  const Loaded& loaded = loaded_.get();
  // No index, no package folders either: an index that failed to load has thrown above.
  if (loaded.index.size() == 0) return false;
  if (!Owned(loaded, path, form, hit)) return false;
  kept_.fetch_add(1, std::memory_order_relaxed);
  return true;
}

bool PackageFilter::Names(const platform::PackageFileIndex& index, NativeStringView path,
                          Hit hit) const {
  if (index.Contains(path)) return true;
  if (hit != Hit::kByRule) return false;
  if (IsFontIndex(path)) return true;
  // A package's scripts write beside its files (font indexes, catalog backups, .dpkg-old files):
  // the folder's owner owns them. The trees' own tops (/usr, /etc) belong to base packages, so a
  // file right in them is kept too.
  path = WithoutTrailingSeparators(path);
  const std::size_t slash = path.rfind(platform::kSeparator);
  if (slash == NativeStringView::npos || slash == 0) return false;
  const NativeStringView folder = path.substr(0, slash);
  const NativeStringView withSeparator = path.substr(0, slash + 1);
  return std::any_of(trees_.begin(), trees_.end(),
                     [&](const NativeString& tree) { return withSeparator.starts_with(tree); }) &&
         index.Contains(folder);
}

bool PackageFilter::Owned(const Loaded& loaded, NativeStringView path, PathForm form,
                          Hit hit) const {
  if (Names(loaded.index, path, hit)) return true;
  // Resolving costs a system call per folder above the file, once per hit: skipped where it is
  // known to change nothing.
  NativeString canonical;
  if (form == PathForm::kAsGiven) {
    canonical = platform::CanonicalFolderPath(path);
    if (canonical != path && Names(loaded.index, canonical, hit)) return true;
    path = canonical;
  }
  if (!loaded.mounts.HasBindMounts()) return false;
  const NativeString primary = loaded.mounts.PathOnPrimaryMount(path);
  return primary != path && Names(loaded.index, primary, hit);
}

}  // namespace kelvo::scan
