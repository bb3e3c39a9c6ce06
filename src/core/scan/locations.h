// The common junk locations of a Linux system: folders whose contents are junk of one kind
// (thumbnails, the trash, browser and application caches, crash dumps, package caches, rotated
// logs). Each is a key, a label shown as the rows' type, and the folders it is found in.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "platform/native_string.h"

namespace kelvo::scan {

inline constexpr int kLocationCount = 7;

enum Location : int {
  kThumbnails,
  kTrash,
  kBrowserCache,
  kAppCache,
  kCrashDumps,
  kPackageCache,
  kOldLogs,
};

struct LocationInfo {
  std::string_view key;    // for the command line and the rows' rule_name
  std::string_view label;  // UTF-8, the rows' type
};

// In the order the window and the scan take them.
extern const std::array<LocationInfo, kLocationCount> kLocations;

std::optional<int> LocationByKey(std::string_view key);

// Rows of a location carry rule kFirstLocationRule + the location's index, after the 24 rules.
inline constexpr int kFirstLocationRule = 25;
inline int LocationRule(int location) {
  return kFirstLocationRule + location;
}
inline std::optional<int> LocationOfRule(int rule) {
  if (rule < kFirstLocationRule || rule >= kFirstLocationRule + kLocationCount) return std::nullopt;
  return rule - kFirstLocationRule;
}

// Application caches are offered only once they have not been written to for this long, unless the
// user chooses an age for the whole scan.
inline constexpr int kAppCacheDays = 30;

// Which files of a location folder are rows.
enum class LocationFiles : std::uint8_t {
  kAll,
  kDebPackages,  // *.deb
  kRotatedLogs,  // *.gz, *.xz, *.zst, *.old, *.[0-9]
};

bool LocationFileMatches(LocationFiles files, NativeStringView name);

// One folder of a location as found on this machine: a scan root of its own.
struct LocationFolder {
  int location = 0;
  NativeString path;  // canonical, ends with the separator
  LocationFiles files = LocationFiles::kAll;
  bool recursive = true;  // false: only the files directly inside
  // Folders below path (each ending with the separator) that belong to other locations: not
  // entered from this one.
  std::vector<NativeString> skip;
  int defaultDays = 0;  // files younger than this are no rows, unless the scan sets its own age
};

}  // namespace kelvo::scan
