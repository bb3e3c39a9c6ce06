// Reading /proc/self/mountinfo into the list of local fixed disks.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace kelvo::platform {

struct MountEntry {
  unsigned major = 0;
  unsigned minor = 0;
  std::string root;        // the part of the file system mounted here
  std::string mountPoint;  // unescaped
  std::string fsType;
  std::string source;
};

// Parses the text of a mountinfo file; lines that do not parse are skipped.
std::vector<MountEntry> ParseMountInfo(std::string_view text);

// What the system tells about a block device.
struct BlockDeviceQuery {
  std::function<bool(unsigned major, unsigned minor)> isBlockDevice;
  std::function<bool(unsigned major, unsigned minor)> isRemovable;
  std::function<std::string(unsigned major, unsigned minor)> label;
};

struct FixedDisk {
  std::string key;  // mount point with a trailing "/"
  std::string text;
};

// One entry per local, non-removable block device, in mount order, at its first mount point.
std::vector<FixedDisk> SelectFixedDisks(const std::vector<MountEntry>& mounts,
                                        const BlockDeviceQuery& query);

}  // namespace kelvo::platform
