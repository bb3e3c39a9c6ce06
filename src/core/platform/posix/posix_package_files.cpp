#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <unordered_map>

#include "platform/package_files.h"
#include "platform/posix/xdg_folders.h"

namespace kelvo::platform {
namespace {

// Resolves folder parts once each: the lists name the same few thousand folders over and over.
class Canonicaliser {
 public:
  explicit Canonicaliser(PackageFileIndex& index) : index_(index) {}

  void Add(std::string_view path) {
    while (path.size() > 1 && path.back() == '/') path.remove_suffix(1);
    if (path.empty() || path.front() != '/') return;
    const std::size_t slash = path.rfind('/');
    std::string full = Resolved(path.substr(0, slash));
    if (full.back() != '/') full.push_back('/');
    full.append(path.substr(slash + 1));
    index_.Add(full);
  }

  // The folder resolved from its parent, resolved in turn: one lstat per folder rather than one
  // readlink per component of each.
  const std::string& Resolved(std::string_view folder) {
    if (auto it = folders_.find(folder); it != folders_.end()) return it->second;
    std::string resolved;
    const std::size_t slash = folder.rfind('/');
    const std::string_view name = folder.substr(slash + 1);
    if (folder.empty()) {
      resolved = "/";
    } else if (slash == std::string_view::npos || name.empty() || name == "." || name == "..") {
      resolved = CanonicalFolder(std::string(folder));
    } else {
      resolved = Resolved(folder.substr(0, slash));
      if (resolved.back() != '/') resolved.push_back('/');
      resolved.append(name);
      struct stat st;
      if (::lstat(resolved.c_str(), &st) == 0 && S_ISLNK(st.st_mode))
        resolved = CanonicalFolder(resolved);
    }
    return folders_.emplace(std::string(folder), std::move(resolved)).first->second;
  }

  static std::string CanonicalFolder(const std::string& folder) {
    if (folder.empty()) return "/";
    char resolved[PATH_MAX];
    return ::realpath(folder.c_str(), resolved) ? std::string(resolved) : folder;
  }

 private:
  PackageFileIndex& index_;
  struct Hash : std::hash<std::string_view> {
    using is_transparent = void;
  };
  std::unordered_map<std::string, std::string, Hash, std::equal_to<>> folders_;
};

std::vector<std::string> Entries(const std::string& folder) {
  std::vector<std::string> names;
  std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder.c_str()), ::closedir);
  if (!dir) return names;
  while (const dirent* e = ::readdir(dir.get())) {
    std::string name = e->d_name;
    if (name != "." && name != "..") names.push_back(std::move(name));
  }
  return names;
}

// dpkg: one absolute path per line, "/." for the root.
void ReadDpkg(const std::string& root, Canonicaliser& out) {
  const std::string info = root + "var/lib/dpkg/info/";
  std::string line;
  for (const std::string& name : Entries(info)) {
    if (!name.ends_with(".list")) continue;
    std::ifstream in(info + name, std::ios::binary);
    while (std::getline(in, line)) out.Add(line);
  }
}

// pacman: relative paths after a "%FILES%" line, up to the next blank line.
void ReadPacman(const std::string& root, Canonicaliser& out) {
  const std::string local = root + "var/lib/pacman/local/";
  std::string line;
  for (const std::string& package : Entries(local)) {
    std::ifstream in(local + package + "/files", std::ios::binary);
    bool inFiles = false;
    while (std::getline(in, line)) {
      if (line.empty())
        inFiles = false;
      else if (line == "%FILES%")
        inFiles = true;
      else if (inFiles)
        out.Add("/" + line);
    }
  }
}

// apk: "F:folder" lines, each followed by "R:name" lines of the files in it (paths relative).
void ReadApk(const std::string& root, Canonicaliser& out) {
  std::ifstream in(root + "lib/apk/db/installed", std::ios::binary);
  std::string line, folder;
  while (std::getline(in, line)) {
    if (line.starts_with("F:")) {
      folder = "/" + line.substr(2);
      out.Add(folder);
    } else if (line.starts_with("R:")) {
      out.Add(folder + "/" + line.substr(2));
    } else if (line.empty()) {
      folder.clear();
    }
  }
}

void ReadRpm(Canonicaliser& out) {
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen("rpm -qal 2>/dev/null", "r"), ::pclose);
  if (!pipe) return;
  char* line = nullptr;
  std::size_t capacity = 0;
  ssize_t n;
  while ((n = ::getline(&line, &capacity, pipe.get())) > 0) {
    std::string_view path(line, static_cast<std::size_t>(n));
    if (path.ends_with('\n')) path.remove_suffix(1);
    out.Add(path);
  }
  std::free(line);
}

}  // namespace

PackageDatabases SystemPackageDatabases() {
  PackageDatabases databases{"/", false, {}};
  struct stat st;
  databases.useRpm = ::stat("/var/lib/rpm", &st) == 0 && S_ISDIR(st.st_mode) &&
                     (::access("/usr/bin/rpm", X_OK) == 0 || ::access("/bin/rpm", X_OK) == 0);
  // Root's cache never follows the environment: with sudo -E it would name the user's home.
  if (::geteuid() == 0) {
    databases.cacheFolder = "/var/cache/kelvo";
  } else {
    databases.cacheFolder = XdgBaseFolder("XDG_CACHE_HOME", ".cache") + "/kelvo";
  }
  return databases;
}

std::string PackageDatabaseStamp(const PackageDatabases& databases) {
  std::string root = databases.root;
  if (root.empty()) return {};
  if (root.back() != '/') root.push_back('/');
  std::string stamp = "root " + root + (databases.useRpm ? " rpm\n" : "\n");
  auto add = [&stamp](const std::string& path) {
    struct stat st;
    stamp += path;
    if (::lstat(path.c_str(), &st) != 0) {
      stamp += " missing " + std::to_string(errno) + "\n";
      return;
    }
    for (auto n :
         {static_cast<long long>(st.st_dev), static_cast<long long>(st.st_ino),
          static_cast<long long>(st.st_mode), static_cast<long long>(st.st_size),
          static_cast<long long>(st.st_mtim.tv_sec), static_cast<long long>(st.st_mtim.tv_nsec),
          static_cast<long long>(st.st_ctim.tv_sec), static_cast<long long>(st.st_ctim.tv_nsec)})
      stamp += " " + std::to_string(n);
    stamp += "\n";
  };
  // dpkg replaces a list by renaming a new one into the folder, which changes the folder's times.
  add(root + "var/lib/dpkg/info");
  add(root + "var/lib/dpkg/status");
  add(root + "var/lib/pacman/local");
  add(root + "lib/apk/db/installed");
  add(root + "usr");  // a move to a merged /usr changes what the paths resolve to
  add(root + "lib");
  if (databases.useRpm) {
    const std::string rpm = "/var/lib/rpm";
    add(rpm);
    std::vector<std::string> names = Entries(rpm + "/");
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) add(rpm + "/" + name);
  }
  return stamp;
}

PackageFileIndex LoadPackageFiles(const PackageDatabases& databases) {
  PackageFileIndex index;
  if (databases.root.empty()) return index;
  std::string root = databases.root;
  if (root.back() != '/') root.push_back('/');
  Canonicaliser out(index);
  ReadDpkg(root, out);
  ReadPacman(root, out);
  ReadApk(root, out);
  if (databases.useRpm) ReadRpm(out);
  index.Finish();
  return index;
}

NativeString CanonicalFolderPath(NativeStringView path) {
  const std::size_t slash = path.rfind('/');
  if (slash == NativeStringView::npos || slash == 0) return NativeString(path);
  std::string folder = Canonicaliser::CanonicalFolder(std::string(path.substr(0, slash)));
  if (folder.back() != '/') folder.push_back('/');
  return folder + std::string(path.substr(slash + 1));
}

}  // namespace kelvo::platform
