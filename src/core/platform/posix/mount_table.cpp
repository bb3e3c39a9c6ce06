#include "platform/posix/mount_table.h"

#include <set>
#include <sstream>
#include <utility>

namespace kelvo::platform {
namespace {

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

bool IsPseudoFsType(std::string_view type) {
  return type == "squashfs" || type == "iso9660" || type == "udf" || type == "overlay";
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
    auto colon = devno.find(':');
    if (colon == std::string::npos) continue;
    try {
      e.major = static_cast<unsigned>(std::stoul(devno.substr(0, colon)));
      e.minor = static_cast<unsigned>(std::stoul(devno.substr(colon + 1)));
    } catch (...) {
      continue;
    }
    e.root = UnescapeOctal(root);
    e.mountPoint = UnescapeOctal(mountPoint);
    e.source = UnescapeOctal(e.source);
    out.push_back(std::move(e));
  }
  return out;
}

std::vector<FixedDisk> SelectFixedDisks(const std::vector<MountEntry>& mounts,
                                        const BlockDeviceQuery& query) {
  constexpr unsigned kRamDiskMajor = 1;
  constexpr unsigned kLoopMajor = 7;
  std::vector<FixedDisk> out;
  std::set<std::pair<unsigned, unsigned>> seen;
  for (const MountEntry& m : mounts) {
    if (m.major == 0 || m.major == kRamDiskMajor || m.major == kLoopMajor) continue;
    if (IsPseudoFsType(m.fsType)) continue;
    if (m.source.rfind("/dev/", 0) != 0) continue;
    if (seen.count({m.major, m.minor})) continue;
    if (query.isBlockDevice && !query.isBlockDevice(m.major, m.minor)) continue;
    if (query.isRemovable && query.isRemovable(m.major, m.minor)) continue;
    seen.insert({m.major, m.minor});
    FixedDisk d;
    d.key = m.mountPoint;
    if (d.key.empty() || d.key.back() != '/') d.key.push_back('/');
    std::string label = query.label ? query.label(m.major, m.minor) : std::string();
    d.text = label.empty() ? d.key : d.key + "(" + label + ")";
    out.push_back(std::move(d));
  }
  return out;
}

}  // namespace kelvo::platform
