// The mount table's entries as mappings to their file systems' primary mounts.
#pragma once

#include <vector>

#include "platform/mount_paths.h"
#include "platform/posix/mount_table.h"

namespace kelvo::platform {

// For each mount, in order: its folder on the mount of the same file system (device number) that
// shows the most of it, the one whose root holds this one's and is shortest, the first of equals.
std::vector<MountMapping> MountMappings(const std::vector<MountEntry>& mounts);

}  // namespace kelvo::platform
