#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <utility>
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

std::string UserDirOf(std::string_view text, std::string_view key, const std::string& home) {
  const std::string prefix = std::string(key) + "=\"";
  std::string found;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
    if (!line.starts_with(prefix)) continue;
    line.remove_prefix(prefix.size());
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

std::string DownloadFolderOf(std::string_view text, const std::string& home) {
  return UserDirOf(text, "XDG_DOWNLOAD_DIR", home);
}

std::vector<std::string> DocumentFoldersOf(std::string_view text, const std::string& home) {
  static constexpr std::pair<std::string_view, std::string_view> kFolders[] = {
      {"XDG_DESKTOP_DIR", "Desktop"},    {"XDG_DOCUMENTS_DIR", "Documents"},
      {"XDG_DOWNLOAD_DIR", "Downloads"}, {"XDG_MUSIC_DIR", "Music"},
      {"XDG_PICTURES_DIR", "Pictures"},  {"XDG_VIDEOS_DIR", "Videos"},
      {"XDG_PUBLICSHARE_DIR", "Public"}, {"XDG_TEMPLATES_DIR", "Templates"}};
  const std::string top = WithoutFinalSlashes(home);
  std::vector<std::string> folders;
  for (const auto& [key, name] : kFolders) {
    // The default too: a folder renamed in the file may still hold the user's files.
    folders.push_back((top == "/" ? "" : top) + "/" + std::string(name));
    if (std::string set = UserDirOf(text, key, home); !set.empty() && set != folders.back())
      folders.push_back(std::move(set));
  }
  return folders;
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
