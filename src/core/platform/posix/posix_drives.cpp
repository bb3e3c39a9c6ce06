#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <charconv>

#include <filesystem>

#include "platform/drives.h"
#include "platform/posix/mount_table.h"
#include "platform/posix/whole_file.h"

namespace kelvo::platform {
namespace {

// A value the kernel shows under /sys: a line of text.
constexpr std::size_t kLargestSysValue = 64u << 10;

std::string ReadSysValue(const std::string& path) {
  return ReadWholeFile(path.c_str(), kLargestSysValue).value_or("");
}

std::string SysBlockPath(unsigned major, unsigned minor) {
  return "/sys/dev/block/" + std::to_string(major) + ":" + std::to_string(minor);
}

// The device number behind a mount: its source node's when the source is one (btrfs and others
// report an anonymous number of their own), else the mount's.
bool DeviceOf(const MountEntry& m, unsigned& major, unsigned& minor) {
  struct stat st;
  if (m.source.starts_with("/dev/") && ::stat(m.source.c_str(), &st) == 0 && S_ISBLK(st.st_mode)) {
    major = ::major(st.st_rdev);
    minor = ::minor(st.st_rdev);
    return true;
  }
  major = m.major;
  minor = m.minor;
  return m.major != 0;
}

bool IsRemovable(const MountEntry& m) {
  unsigned major = 0, minor = 0;
  if (!DeviceOf(m, major, minor)) return false;
  // A partition has no "removable" file of its own; its disk is the parent folder.
  std::string base = SysBlockPath(major, minor);
  for (const char* rel : {"/removable", "/../removable"}) {
    std::string value = ReadSysValue(base + rel);
    if (!value.empty()) return value[0] == '1';
  }
  return false;
}

// udev writes unsafe bytes of a label as \xNN in the link names of /dev/disk/by-label.
std::string UnescapeUdev(const std::string& s) {
  std::string out;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\\' && i + 3 < s.size() && s[i + 1] == 'x') {
      unsigned value = 0;
      const char* first = s.data() + i + 2;
      const auto [end, error] = std::from_chars(first, first + 2, value, 16);
      if (error == std::errc() && end == first + 2) {
        out.push_back(static_cast<char>(value));
        i += 3;
        continue;
      }
    }
    out.push_back(s[i]);
  }
  return out;
}

std::string LabelOf(const MountEntry& m) {
  unsigned major = 0, minor = 0;
  if (!DeviceOf(m, major, minor)) return {};
  std::error_code ec;
  for (const auto& link : std::filesystem::directory_iterator("/dev/disk/by-label", ec)) {
    struct stat st;
    if (::stat(link.path().c_str(), &st) == 0 && S_ISBLK(st.st_mode) &&
        ::major(st.st_rdev) == major && ::minor(st.st_rdev) == minor)
      return UnescapeUdev(link.path().filename().string());
  }
  return {};
}

}  // namespace

std::vector<Drive> ListFixedDrives() {
  BlockDeviceQuery query;
  query.isRemovable = IsRemovable;
  query.label = LabelOf;
  std::vector<Drive> drives;
  for (FixedDisk& d : SelectFixedDisks(ReadOwnMounts(), query))
    drives.push_back({std::move(d.key), std::move(d.text)});
  return drives;
}

}  // namespace kelvo::platform
