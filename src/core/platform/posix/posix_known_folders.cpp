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

std::string DownloadFolderOf(std::string_view text, const std::string& home) {
  constexpr std::string_view kKey = "XDG_DOWNLOAD_DIR=\"";
  std::string found;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
    if (!line.starts_with(kKey)) continue;
    line.remove_prefix(kKey.size());
    const std::size_t quote = line.find('"');
    if (quote == std::string_view::npos) continue;
    line = line.substr(0, quote);
    if (line.starts_with("$HOME"))
      found = WithoutFinalSlashes(home) + std::string(line.substr(5));
    else if (line.starts_with("/"))
      found = std::string(line);
    else
      continue;
    found = WithoutFinalSlashes(found);
  }
  if (found == WithoutFinalSlashes(home) || found.find("..") != std::string::npos) return {};
  return found;
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
