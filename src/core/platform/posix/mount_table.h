// Reading /proc/self/mountinfo into the list of local fixed disks.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace kelvo::platform {

struct MountEntry {
  std::uint64_t id = 0;  // the mount id statx gives (STATX_MNT_ID)
  unsigned major = 0;
  unsigned minor = 0;
  std::string root;        // the part of the file system mounted here
  std::string mountPoint;  // unescaped
  std::string fsType;
  std::string source;
  std::string superOptions;
};

// Parses the text of a mountinfo file; lines that do not parse are skipped.
std::vector<MountEntry> ParseMountInfo(std::string_view text);

// The mounts this process sees (/proc/self/mountinfo); none when that cannot be read.
std::vector<MountEntry> ReadOwnMounts();

// What the system tells about the device behind a mount (through its source when that is a
// device node, else its device number). Injected so that tests do not depend on this machine.
struct BlockDeviceQuery {
  std::function<bool(const MountEntry&)> isRemovable;
  std::function<std::string(const MountEntry&)> label;
};

struct FixedDisk {
  std::string key;  // mount point with a trailing "/"
  std::string text;
};

// One entry per mount point of a local, disk-backed, non-removable file system, in mount order.
// Block-device mounts and known local types count (btrfs, ZFS and bcachefs report device major 0);
// network, pseudo, overlay, tmpfs, image (squashfs, iso9660) and loop mounts do not, nor do bind
// mounts of a folder. A btrfs subvolume mounted on its own is a mount point of its own.
std::vector<FixedDisk> SelectFixedDisks(const std::vector<MountEntry>& mounts,
                                        const BlockDeviceQuery& query);

}  // namespace kelvo::platform
