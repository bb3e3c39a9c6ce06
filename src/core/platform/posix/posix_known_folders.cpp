#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/known_folders.h"
#include "platform/posix/xdg_folders.h"

namespace kelvo::platform {
namespace {

std::string WithoutFinalSlashes(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

}  // namespace

std::string HomeFolder() {
  const char* home = std::getenv("HOME");
  if (home && *home) return home;
  std::vector<char> buffer(16 * 1024);
  passwd entry{};
  passwd* found = nullptr;
  if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found &&
      found->pw_dir) {
    return found->pw_dir;
  }
  return "/";
}

std::string XdgBaseFolder(const char* variable, const char* homeRelative) {
  const char* value = std::getenv(variable);
  if (value && value[0] == '/') return WithoutFinalSlashes(value);
  std::string home = WithoutFinalSlashes(HomeFolder());
  return (home == "/" ? "" : home) + "/" + homeRelative;
}

NativeString ProgramFolder() {
  std::vector<char> buffer(4096);
  for (;;) {
    ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (n < 0) return ".";
    if (static_cast<std::size_t>(n) < buffer.size()) {
      std::string exe(buffer.data(), static_cast<std::size_t>(n));
      auto slash = exe.rfind('/');
      if (slash == std::string::npos) return ".";
      return slash == 0 ? "/" : exe.substr(0, slash);
    }
    buffer.resize(buffer.size() * 2);
  }
}

NativeString SettingsFolder() {
  return XdgBaseFolder("XDG_CONFIG_HOME", ".config") + "/kelvo";
}

NativeString OperatingSystemFolder() {
  return "/";
}

NativeString ComponentSystemFolder() {
  return XdgBaseFolder("XDG_DATA_HOME", ".local/share") + "/kelvo/system";
}

}  // namespace kelvo::platform
