#include "platform/mount_paths.h"

namespace kelvo::platform {
namespace {

// Whether path lies at or below folder, component by component ("/usr" holds "/usr/x", not
// "/usrx").
bool Holds(NativeStringView folder, NativeStringView path) {
  if (folder.size() == 1 && folder[0] == kSeparator) return !path.empty() && path[0] == kSeparator;
  return path.starts_with(folder) &&
         (path.size() == folder.size() || path[folder.size()] == kSeparator);
}

}  // namespace

NativeString MountPaths::PathOnPrimaryMount(NativeStringView path) const {
  const MountMapping* deepest = nullptr;
  for (const MountMapping& m : mounts_)  // the last of equals wins: it hides the others
    if (Holds(m.mountPoint, path) &&
        (!deepest || m.mountPoint.size() >= deepest->mountPoint.size()))
      deepest = &m;
  if (!deepest || deepest->mountPoint == deepest->primaryPath) return NativeString(path);
  NativeStringView rest = path.substr(deepest->mountPoint.size());
  if (deepest->mountPoint.size() == 1) rest = path.substr(0);  // "/" keeps its separator in rest
  NativeString mapped = deepest->primaryPath;
  if (!mapped.empty() && mapped.back() == kSeparator && !rest.empty() && rest[0] == kSeparator)
    rest.remove_prefix(1);
  mapped += rest;
  return mapped;
}

bool MountPaths::HasBindMounts() const {
  for (const MountMapping& m : mounts_)
    if (m.mountPoint != m.primaryPath) return true;
  return false;
}

}  // namespace kelvo::platform
