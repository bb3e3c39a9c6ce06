#include <unistd.h>

#include <cstdlib>

#include "platform/posix/xdg_folders.h"
#include "platform/process_probe.h"
#include "platform/user_folders.h"

namespace kelvo::platform {
namespace {

std::string WithoutFinalSlashes(std::string path) {
  while (!path.empty() && path.back() == '/') path.pop_back();
  return path;
}

}  // namespace

std::optional<UserFolders> CurrentUserFolders() {
  UserFolders f;
  f.home = WithoutFinalSlashes(HomeFolder());
  f.cacheHome = WithoutFinalSlashes(XdgBaseFolder("XDG_CACHE_HOME", ".cache"));
  f.configHome = WithoutFinalSlashes(XdgBaseFolder("XDG_CONFIG_HOME", ".config"));
  f.dataHome = WithoutFinalSlashes(XdgBaseFolder("XDG_DATA_HOME", ".local/share"));
  // user-dirs.dirs is small; a larger file is none of its kind.
  const std::string userDirs = ReadFileStart(f.configHome + "/user-dirs.dirs", 64 * 1024);
  f.downloads = DownloadFolderOf(userDirs, f.home);
  if (f.downloads.empty() && userDirs.find("XDG_DOWNLOAD_DIR") == std::string::npos)
    f.downloads = f.home + "/Downloads";
  for (std::string& folder : DocumentFoldersOf(userDirs, f.home))
    f.documentFolders.push_back(WithoutFinalSlashes(std::move(folder)));
  if (const char* root = std::getenv("KELVO_SYSTEM_ROOT"); root && root[0] == '/')
    f.systemRoot = WithoutFinalSlashes(root);
  f.userId = std::to_string(::geteuid());
  return f;
}

}  // namespace kelvo::platform
