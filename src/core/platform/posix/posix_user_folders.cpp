#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <vector>

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

std::optional<std::string> ReadLinkText(const NativeString& path) {
  std::vector<char> buffer(256);
  for (;;) {
    const ssize_t n = ::readlink(path.c_str(), buffer.data(), buffer.size());
    if (n < 0) return std::nullopt;
    if (static_cast<std::size_t>(n) < buffer.size())
      return std::string(buffer.data(), static_cast<std::size_t>(n));
    buffer.resize(buffer.size() * 2);
  }
}

std::string HostName() {
  char name[HOST_NAME_MAX + 1] = {};
  if (::gethostname(name, sizeof name - 1) != 0) return {};
  return name;
}

bool ProcessRuns(long long pid) {
  if (pid <= 0 || pid > INT_MAX) return false;
  // Signal 0 only asks; EPERM means the process is there but belongs to someone else.
  return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

}  // namespace kelvo::platform
