#include "platform/mount_paths.h"

namespace kelvo::platform {

// Windows has no bind mounts a path check would have to see through: folder mounts and junctions
// are links, and scans do not follow links.
MountPaths MountPaths::Current() {
  return {};
}

}  // namespace kelvo::platform
