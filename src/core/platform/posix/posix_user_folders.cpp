#include <unistd.h>

#include <cstdlib>

#include "platform/posix/xdg_folders.h"
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
  if (const char* root = std::getenv("KELVO_SYSTEM_ROOT"); root && root[0] == '/')
    f.systemRoot = WithoutFinalSlashes(root);
  f.userId = std::to_string(::getuid());
  return f;
}

}  // namespace kelvo::platform
