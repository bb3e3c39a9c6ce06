// One file can be reached through several mounts: a bind mount shows a folder of a file system
// at another place (/usr bound at /srv/usr shows /usr/bin/ls as /srv/usr/bin/ls). Checks that go
// by path (package lists, the keep-list) must see such a path as it is on the file system's
// primary mount, the one that shows the most of it (its top, where it is mounted whole).
#pragma once

#include <vector>

#include "platform/native_string.h"

namespace kelvo::platform {

// Where a mount point's folder lies on its file system's primary mount.
struct MountMapping {
  NativeString mountPoint;   // without a final separator, "/" for the root
  NativeString primaryPath;  // the same folder on the primary mount; equal for a primary mount
};

// A snapshot of the mount table.
class MountPaths {
 public:
  MountPaths() = default;  // no mounts known: every path is its own
  // Mappings in mount order (a later mount at the same place hides an earlier one).
  explicit MountPaths(std::vector<MountMapping> mounts) : mounts_(std::move(mounts)) {}

  // The system's mounts now (on Windows, none).
  static MountPaths Current();

  // path (absolute, its folders resolved) as it is on the primary mount of its file system;
  // unchanged when it is there already or its mount is not known.
  NativeString PathOnPrimaryMount(NativeStringView path) const;
  // Whether some mount shows a folder that is at another place on its primary mount.
  bool HasBindMounts() const;

 private:
  std::vector<MountMapping> mounts_;
};

}  // namespace kelvo::platform
