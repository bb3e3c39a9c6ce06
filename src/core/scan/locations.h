// The common junk locations of a Linux system: folders whose contents are junk of one kind
// (thumbnails, the trash, browser and application caches, crash dumps, package caches, rotated
// logs). Each is a key, a label shown as the rows' type, and the folders it is found in.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <set>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/native_string.h"

namespace kelvo::scan {

inline constexpr int kLocationCount = 12;

// In the table's order, which is also their rule numbers' (new locations are added at the end).
enum Location : int {
  kThumbnails,
  kTrash,
  kBrowserCache,
  kAppCache,
  kCrashDumps,
  kPackageCache,
  kOldLogs,
  kPartialDownloads,
  kSnapCache,
  kDeveloperCache,
  kOldTempFiles,
  kArchivedJournal,
};

// One location as the help, the manual, the completions, the window and the rows name it. The
// finder (location_finder.cpp) looks for its folders.
struct LocationInfo {
  std::string_view key;           // for the command line and the rows' rule_name
  std::string_view label;         // UTF-8, the rows' type
  std::string_view englishLabel;  // the label's English translation
  std::string_view folders;       // where it is looked for, in words
  int defaultDays = 0;            // files younger are no rows, unless the scan sets its own age
  std::string_view inUse;         // what tells a program uses it (then it is skipped); "" none
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
// A download not finished for a week has been given up.
inline constexpr int kPartialDownloadDays = 7;

// Which files of a location folder are rows.
enum class LocationFiles : std::uint8_t {
  kAll,
  kDebPackages,       // *.deb
  kTrashInfo,         // *.trashinfo, each going with its item
  kRotatedLogs,       // what logrotate leaves: compressed, .old, numbered, dated copies
  kPartialDownloads,  // *.crdownload, *.part, *.partial, *.download
  kArchivedJournal,   // system@...journal, user-1000@...journal, *.journal~: closed by journald
};

// "syslog.1", "syslog.2.gz", "dpkg.log.old", "auth.log-20261201"; never "log.192.168.1.5",
// "Xorg.0.log" or "mysql-bin.000042".
bool IsRotatedLogName(NativeStringView name);

bool LocationFileMatches(LocationFiles files, NativeStringView name);

// Files by device and inode.
using OpenFiles = std::set<std::pair<std::uint64_t, std::uint64_t>>;

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
  // A trash's files folder, whose items (the entries at its top) go with their descriptions.
  bool trashFiles = false;
  // A trash's info folder: the files folder its descriptions belong to. A description is a row
  // only when its item is gone, or when every file of its item is a row.
  NativeString trashItems;
  // When set, files that a program holds open are no rows.
  std::shared_ptr<const OpenFiles> openFiles;
  // An application cache: *.ini and *.conf files at its top, or at the top of an application's
  // folder in it, are settings, not offered.
  bool settingsAtTop = false;
};

}  // namespace kelvo::scan
