#include "scan/locations.h"

namespace kelvo::scan {

const std::array<LocationInfo, kLocationCount> kLocations = {{
    {"thumbnails", "缩略图缓存"},
    {"trash", "回收站"},
    {"browser-cache", "浏览器缓存"},
    {"app-cache", "应用缓存"},
    {"crash-dumps", "崩溃转储"},
    {"package-cache", "软件包缓存"},
    {"old-logs", "旧日志"},
}};

std::optional<int> LocationByKey(std::string_view key) {
  for (int i = 0; i < kLocationCount; ++i)
    if (kLocations[static_cast<std::size_t>(i)].key == key) return i;
  return std::nullopt;
}

namespace {

bool EndsWith(NativeStringView name, std::string_view ascii) {
  if (name.size() < ascii.size()) return false;
  const NativeStringView tail = name.substr(name.size() - ascii.size());
  for (std::size_t i = 0; i < ascii.size(); ++i)
    if (tail[i] != static_cast<NativeChar>(ascii[i])) return false;
  return true;
}

}  // namespace

bool LocationFileMatches(LocationFiles files, NativeStringView name) {
  switch (files) {
    case LocationFiles::kAll:
      return true;
    case LocationFiles::kDebPackages:
      return name.size() > 4 && EndsWith(name, ".deb");
    case LocationFiles::kRotatedLogs: {
      for (std::string_view suffix : {".gz", ".xz", ".zst", ".old"})
        if (name.size() > suffix.size() && EndsWith(name, suffix)) return true;
      const std::size_t n = name.size();
      return n > 2 && name[n - 2] == '.' && name[n - 1] >= '0' && name[n - 1] <= '9';
    }
  }
  return false;
}

}  // namespace kelvo::scan
