#include "platform/package_files.h"

namespace kelvo::platform {

PackageDatabases SystemPackageDatabases() {
  return {};
}

PackageFileIndex LoadPackageFiles(const PackageDatabases&) {
  return {};
}

NativeString CanonicalFolderPath(NativeStringView path) {
  return NativeString(path);
}

}  // namespace kelvo::platform
