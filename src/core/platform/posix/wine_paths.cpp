#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <memory>
#include <vector>

#include "platform/posix/unique_fd.h"
#include "platform/posix/wine_prefix.h"
#include "text/utf16_text.h"

namespace kelvo::platform {
namespace {

struct SplitPath {
  char drive = 0;  // lower case
  std::vector<std::string> components;
};

// "C:\a\..\b" -> drive c, components {b}. "\\?\C:\..." is read as "C:\..."; any other form
// (UNC, relative, drive-relative "C:x") has no place in the prefix.
std::optional<SplitPath> Split(std::string_view path) {
  if (path.substr(0, 4) == "\\\\?\\" || path.substr(0, 4) == "\\\\.\\") path.remove_prefix(4);
  if (path.size() < 2 || path[1] != ':') return std::nullopt;
  const char letter = path[0];
  if (!((letter >= 'a' && letter <= 'z') || (letter >= 'A' && letter <= 'Z'))) return std::nullopt;
  path.remove_prefix(2);
  if (!path.empty() && path[0] != '\\' && path[0] != '/') return std::nullopt;
  SplitPath out;
  out.drive = static_cast<char>(letter | 0x20);
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = path.find_first_of("\\/", start);
    if (end == std::string_view::npos) end = path.size();
    std::string_view part = path.substr(start, end - start);
    if (part == "..") {
      if (!out.components.empty()) out.components.pop_back();
    } else if (!part.empty() && part != ".") {
      if (part.find('\0') != std::string_view::npos) return std::nullopt;
      out.components.emplace_back(part);
    }
    start = end + 1;
  }
  return out;
}

// The entry of a folder named component: the exact name, else the first (in byte order) that
// equals it ignoring case.
std::optional<std::string> FindEntry(int dirFd, const std::string& component) {
  struct stat st;
  if (::fstatat(dirFd, component.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) return component;
  if (errno != ENOENT) return std::nullopt;
  UniqueFd listFd(::openat(dirFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!listFd) return std::nullopt;
  std::unique_ptr<DIR, int (*)(DIR*)> dir(::fdopendir(listFd.get()), ::closedir);
  if (!dir) return std::nullopt;
  std::ignore = listFd.Release();  // the listing owns it now
  const std::u16string wanted = text::FoldCase(text::Utf8ToUtf16(component));
  std::optional<std::string> found;
  while (dirent* entry = ::readdir(dir.get())) {
    std::string_view name = entry->d_name;
    if (name == "." || name == "..") continue;
    if (text::FoldCase(text::Utf8ToUtf16(name)) != wanted) continue;
    if (!found || name < *found) found = std::string(name);
  }
  return found;
}

std::string HomeFolder() {
  if (const char* home = std::getenv("HOME"); home && *home) return home;
  struct passwd pw;
  struct passwd* result = nullptr;
  std::vector<char> buffer(16384);
  if (::getpwuid_r(::getuid(), &pw, buffer.data(), buffer.size(), &result) == 0 && result &&
      result->pw_dir)
    return result->pw_dir;
  return {};
}

// Walks the mapped path; on success the descriptor of the last folder and the last name.
struct Walked {
  std::string path;
  UniqueFd parent;
  std::string last;  // empty for a drive root
};

std::optional<Walked> Walk(const std::string& prefix, std::string_view windowsPath) {
  auto split = Split(windowsPath);
  if (!split || prefix.empty()) return std::nullopt;
  Walked out;
  out.path = prefix + "/dosdevices";
  UniqueFd fd(::open(out.path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!fd) return std::nullopt;
  const std::string drive{split->drive, ':'};
  if (split->components.empty()) {
    out.parent = std::move(fd);
    out.last = drive;
    out.path += "/" + drive;
    return out;
  }
  UniqueFd driveFd(::openat(fd.get(), drive.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!driveFd) return std::nullopt;
  out.path += "/" + drive;
  fd = std::move(driveFd);
  for (std::size_t i = 0; i < split->components.size(); ++i) {
    auto name = FindEntry(fd.get(), split->components[i]);
    if (!name) return std::nullopt;
    out.path += "/" + *name;
    if (i + 1 == split->components.size()) {
      out.parent = std::move(fd);
      out.last = *name;
      return out;
    }
    UniqueFd child(::openat(fd.get(), name->c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!child) return std::nullopt;
    fd = std::move(child);
  }
  return std::nullopt;
}

}  // namespace

std::string DefaultWinePrefix() {
  if (const char* prefix = std::getenv("WINEPREFIX"); prefix && *prefix) return prefix;
  std::string home = HomeFolder();
  return home.empty() ? std::string() : home + "/.wine";
}

std::optional<std::string> MapWindowsPath(const std::string& prefix, std::string_view windowsPath) {
  auto walked = Walk(prefix, windowsPath);
  if (!walked) return std::nullopt;
  return walked->path;
}

std::optional<std::uint64_t> WineFileSize(const std::string& prefix, std::string_view windowsPath) {
  auto walked = Walk(prefix, windowsPath);
  if (!walked) return std::nullopt;
  struct stat st;
  if (::fstatat(walked->parent.get(), walked->last.c_str(), &st, 0) != 0 || !S_ISREG(st.st_mode))
    return std::nullopt;
  return static_cast<std::uint64_t>(st.st_size);
}

}  // namespace kelvo::platform
