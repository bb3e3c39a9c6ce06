#include "platform/posix/mount_mappings.h"
#include "platform/posix/mount_table.h"

namespace kelvo::platform {
namespace {

bool Holds(const std::string& folder, const std::string& path) {
  if (folder == "/") return path.starts_with('/');
  return path.starts_with(folder) && (path.size() == folder.size() || path[folder.size()] == '/');
}

std::string Joined(const std::string& folder, std::string_view rest) {
  std::string path = folder;
  if (!rest.empty() && rest.front() == '/' && !path.empty() && path.back() == '/')
    rest.remove_prefix(1);
  path += rest;
  return path.empty() ? "/" : path;
}

}  // namespace

std::vector<MountMapping> MountMappings(const std::vector<MountEntry>& mounts) {
  std::vector<MountMapping> out;
  out.reserve(mounts.size());
  for (const MountEntry& m : mounts) {
    // The shortest root that holds m's, the earliest of equals (m itself when none is shorter).
    const MountEntry* primary = nullptr;
    for (const MountEntry& c : mounts)
      if (c.major == m.major && c.minor == m.minor && Holds(c.root, m.root) &&
          (!primary || c.root.size() < primary->root.size()))
        primary = &c;
    std::string_view below = m.root;
    if (primary->root != "/") below.remove_prefix(primary->root.size());
    if (below == "/") below = {};
    out.push_back({m.mountPoint, Joined(primary->mountPoint, below)});
  }
  return out;
}

MountPaths MountPaths::Current() {
  return MountPaths(MountMappings(ReadOwnMounts()));
}

}  // namespace kelvo::platform
