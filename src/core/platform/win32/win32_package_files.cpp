#include "platform/package_files.h"

namespace kelvo::platform {

PackageDatabases SystemPackageDatabases() {
  return {};
}

PackageFileIndex LoadPackageFiles(const PackageDatabases&) {
  return {};
}

std::string PackageDatabaseStamp(const PackageDatabases&) {
  return {};
}

Result<PackageFileIndex> OpenPackageFilesCache(const NativeString&, std::string_view) {
  return Fail(std::errc::not_supported);
}

std::error_code SavePackageFilesCache(const NativeString&, std::string_view,
                                      const PackageFileIndex&) {
  return std::make_error_code(std::errc::not_supported);
}

NativeString CanonicalFolderPath(NativeStringView path) {
  return NativeString(path);
}

}  // namespace kelvo::platform
