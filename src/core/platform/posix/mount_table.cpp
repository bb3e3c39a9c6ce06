#include "platform/posix/mount_table.h"

#include <charconv>
#include <initializer_list>
#include <set>
#include <sstream>
#include <utility>

#include "platform/posix/whole_file.h"

namespace kelvo::platform {
namespace {

// Far above the table of a host with thousands of mounts.
constexpr std::size_t kLargestMountTable = 64u << 20;

// mountinfo writes space, tab, newline and backslash as three octal digits after a backslash.
std::string UnescapeOctal(std::string_view s) {
  auto isOct = [](char c) { return c >= '0' && c <= '7'; };
  std::string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\\' && i + 3 < s.size() && isOct(s[i + 1]) && isOct(s[i + 2]) && isOct(s[i + 3])) {
      out.push_back(
          static_cast<char>((s[i + 1] - '0') * 64 + (s[i + 2] - '0') * 8 + (s[i + 3] - '0')));
      i += 3;
      continue;
    }
    out.push_back(s[i]);
  }
  return out;
}

bool IsOneOf(std::string_view value, std::initializer_list<std::string_view> set) {
  for (std::string_view s : set)
    if (value == s) return true;
  return false;
}

// File systems that live on a local disk even when the kernel reports no block device for them.
bool IsLocalDiskType(std::string_view type) {
  return IsOneOf(type, {"btrfs", "zfs", "bcachefs", "xfs", "ext2", "ext3", "ext4", "f2fs", "ntfs3",
                        "ntfs", "exfat", "vfat", "jfs", "reiserfs", "nilfs2", "fuseblk"});
}

// Never disks of their own: images, overlays, memory and network file systems.
bool IsExcludedType(std::string_view type) {
  return IsOneOf(
      type, {"squashfs", "iso9660", "udf", "overlay", "tmpfs", "ramfs", "devtmpfs", "nfs", "nfs4",
             "cifs", "smb3", "smbfs", "ceph", "glusterfs", "9p", "fuse.sshfs", "afs", "davfs"});
}

std::string_view OptionValue(std::string_view options, std::string_view key) {
  std::size_t pos = 0;
  while (pos <= options.size()) {
    std::size_t comma = options.find(',', pos);
    std::string_view option =
        options.substr(pos, comma == std::string_view::npos ? options.npos : comma - pos);
    if (option.size() > key.size() && option.starts_with(key) && option[key.size()] == '=')
      return option.substr(key.size() + 1);
    if (comma == std::string_view::npos) break;
    pos = comma + 1;
  }
  return {};
}

// A mount of the file system's own top, or of a btrfs subvolume as such; anything else shows a
// folder of a file system mounted elsewhere (a bind mount).
// A decimal number that fills the whole text.
bool ParseNumber(std::string_view text, unsigned& out) {
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), out);
  return error == std::errc() && end == text.data() + text.size();
}

bool MountsWholeFileSystem(const MountEntry& m) {
  if (m.root == "/") return true;
  return m.fsType == "btrfs" && OptionValue(m.superOptions, "subvol") == m.root;
}

}  // namespace

std::vector<MountEntry> ParseMountInfo(std::string_view text) {
  std::vector<MountEntry> out;
  std::istringstream lines{std::string(text)};
  std::string line;
  while (std::getline(lines, line)) {
    std::istringstream fields(line);
    std::string id, parent, devno, root, mountPoint;
    if (!(fields >> id >> parent >> devno >> root >> mountPoint)) continue;
    std::string word;
    bool separatorSeen = false;
    while (fields >> word) {
      if (word == "-") {
        separatorSeen = true;
        break;
      }
    }
    MountEntry e;
    if (!separatorSeen || !(fields >> e.fsType >> e.source)) continue;
    fields >> e.superOptions;
    auto colon = devno.find(':');
    if (colon == std::string::npos) continue;
    if (!ParseNumber(std::string_view(devno).substr(0, colon), e.major) ||
        !ParseNumber(std::string_view(devno).substr(colon + 1), e.minor))
      continue;
    e.root = UnescapeOctal(root);
    e.mountPoint = UnescapeOctal(mountPoint);
    e.source = UnescapeOctal(e.source);
    if (std::from_chars(id.data(), id.data() + id.size(), e.id).ec != std::errc()) e.id = 0;
    out.push_back(std::move(e));
  }
  return out;
}

std::vector<FixedDisk> SelectFixedDisks(const std::vector<MountEntry>& mounts,
                                        const BlockDeviceQuery& query) {
  constexpr unsigned kRamDiskMajor = 1;
  constexpr unsigned kLoopMajor = 7;
  std::vector<FixedDisk> out;
  std::set<std::string> seen;
  for (const MountEntry& m : mounts) {
    if (m.major == kRamDiskMajor || m.major == kLoopMajor || m.source.starts_with("/dev/loop"))
      continue;
    if (IsExcludedType(m.fsType)) continue;
    const bool blockDevice = m.major != 0 && m.source.starts_with("/dev/");
    if (!blockDevice && !IsLocalDiskType(m.fsType)) continue;
    if (!MountsWholeFileSystem(m)) continue;
    FixedDisk d;
    d.key = m.mountPoint;
    if (d.key.empty() || d.key.back() != '/') d.key.push_back('/');
    if (seen.count(d.key)) continue;
    if (query.isRemovable && query.isRemovable(m)) continue;
    seen.insert(d.key);
    std::string label = query.label ? query.label(m) : std::string();
    d.text = label.empty() ? d.key : d.key + "(" + label + ")";
    out.push_back(std::move(d));
  }
  return out;
}

std::vector<MountEntry> ReadOwnMounts() {
  return ParseMountInfo(ReadWholeFile("/proc/self/mountinfo", kLargestMountTable).value_or(""));
}

}  // namespace kelvo::platform
