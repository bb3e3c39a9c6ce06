// The registry of this system on POSIX: the Wine prefix's, in $WINEPREFIX or ~/.wine.
#include <sys/stat.h>

#include "platform/posix/wine_prefix.h"

namespace kelvo::platform {

Registry& NativeRegistry() {
  static WineRegistry registry([] { return DefaultWinePrefix(); });
  return registry;
}

std::optional<std::uint64_t> NativeWindowsFileSize(NativeStringView windowsPath) {
  return WineFileSize(DefaultWinePrefix(), windowsPath);
}

std::optional<LocatedWindowsFile> LocateWindowsFile(NativeStringView windowsPath) {
  const std::string prefix = DefaultWinePrefix();
  auto mapped = MapWindowsPath(prefix, windowsPath);
  if (!mapped) return std::nullopt;
  // The mapped path is <prefix>/dosdevices/<x>:/...; its drive folder is the root.
  const std::string devices = prefix + "/dosdevices/";
  auto slash = mapped->find('/', devices.size());
  if (mapped->compare(0, devices.size(), devices) != 0 || slash == std::string::npos)
    return std::nullopt;
  return LocatedWindowsFile{mapped->substr(0, slash + 1), *mapped};
}

std::string NativeRegistryDescription() {
  return "the Wine prefix " + DefaultWinePrefix();
}

Result<WindowsSystem, std::string> OpenWindowsSystemAt(const NativeString& folder) {
  struct stat st;
  if (folder.empty() || ::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
    return Unexpected{"not a folder: " + folder};
  WindowsSystem system;
  system.registry = std::make_unique<WineRegistry>([folder] { return folder; });
  system.fileSize = [folder](NativeStringView path) { return WineFileSize(folder, path); };
  return system;
}

}  // namespace kelvo::platform
