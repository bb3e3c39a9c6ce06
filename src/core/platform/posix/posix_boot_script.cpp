#include <dirent.h>

#include <fstream>
#include <map>
#include <memory>
#include <sstream>

#include "platform/boot_script.h"

namespace kelvo::platform {

BootScriptLine TempCleanupLine(const NativeString& systemFolder) {
  // "D" empties the folder when systemd-tmpfiles runs with --remove, and "!" restricts the line to
  // runs with --boot: systemd-tmpfiles-setup.service at start, never an update in a running system.
  return {"/etc/tmpfiles.d/kelvo-temp-cleanup.conf", "D! " + systemFolder + "tmp 1777 root root -",
          "\n"};
}

namespace {

// The configuration files by name, each from the folder of highest precedence that has it.
std::map<std::string, std::string> MergedTmpfilesConfig(const std::string& root) {
  std::map<std::string, std::string> files;
  for (const char* folder :
       {"etc/tmpfiles.d/", "run/tmpfiles.d/", "usr/local/lib/tmpfiles.d/", "usr/lib/tmpfiles.d/"}) {
    const std::string path = root + folder;
    std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(path.c_str()), ::closedir);
    if (!dir) continue;
    while (const dirent* e = ::readdir(dir.get())) {
      std::string name = e->d_name;
      if (name.ends_with(".conf")) files.try_emplace(name, path + name);
    }
  }
  return files;
}

}  // namespace

std::optional<std::string> ExistingTempCleanupRule(const NativeString& configRoot,
                                                   const NativeString& systemFolder,
                                                   const NativeString& ownFile) {
  std::string root = configRoot.empty() ? "/" : configRoot;
  if (root.back() != '/') root.push_back('/');
  const std::string tmp = systemFolder + "tmp";
  const std::string ownName = ownFile.substr(ownFile.rfind('/') + 1);
  for (const auto& [name, path] : MergedTmpfilesConfig(root)) {
    if (name == ownName) continue;
    // A link to /dev/null masks the name: reading it gives nothing.
    std::ifstream in(path, std::ios::binary);
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
      std::istringstream fields(line);
      std::string type, target;
      if (!(fields >> type >> target) || type.starts_with('#')) continue;
      while (target.size() > 1 && target.back() == '/') target.pop_back();
      if (target != tmp) continue;
      // The first line for the folder decides; "D" empties it whenever --remove runs, as it does
      // at boot.
      if (type.front() != 'D') return std::nullopt;
      std::string shown = path.substr(root.size() - 1);
      return shown + ":" + std::to_string(number) + ": " + line;
    }
  }
  return std::nullopt;
}

}  // namespace kelvo::platform
