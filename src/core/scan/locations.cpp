#include "scan/locations.h"

namespace kelvo::scan {

const std::array<LocationInfo, kLocationCount> kLocations = {{
    {"thumbnails", "缩略图缓存", "Thumbnail cache", "$XDG_CACHE_HOME/thumbnails, ~/.thumbnails", 0,
     ""},
    {"trash", "回收站", "Trash",
     "$XDG_DATA_HOME/Trash, .Trash-UID and .Trash/UID at the top of every disk (the user's own)", 0,
     ""},
    {"browser-cache", "浏览器缓存", "Browser cache",
     "Firefox's cache2; Chromium-engine caches (Cache, Code Cache, GPUCache, DawnCache, "
     "CacheStorage...) of any browser or app in $XDG_CACHE_HOME, $XDG_CONFIG_HOME and "
     "~/.var/app/*",
     0, "the browser's lock or SingletonLock"},
    {"app-cache", "应用缓存", "Application cache",
     "the rest of $XDG_CACHE_HOME and ~/.var/app/*/cache (no settings files at their top)",
     kAppCacheDays, ""},
    {"crash-dumps", "崩溃转储", "Crash dumps", "/var/lib/systemd/coredump, /var/crash", 0, ""},
    {"package-cache", "软件包缓存", "Package cache",
     "/var/cache/apt/archives/*.deb and partial/, /var/cache/dnf, /var/cache/pacman/pkg", 0,
     "apt's archives lock, pacman's db.lck"},
    {"old-logs", "旧日志", "Old logs",
     "rotated logs under /var/log: compressed, .old, numbered (.1), dated (-YYYYMMDD)", 0, ""},
    {"partial-downloads", "未完成的下载", "Unfinished downloads",
     "*.crdownload, *.part, *.partial, *.download in the download folder (XDG_DOWNLOAD_DIR)",
     kPartialDownloadDays, ""},
    {"snap-cache", "Snap应用缓存", "Snap application cache",
     "~/snap/*/common/.cache, ~/snap/*/REVISION/.cache", kAppCacheDays, ""},
    {"dev-cache", "开发工具缓存", "Developer tool cache",
     "~/.npm/_cacache, ~/.cargo/registry/cache, ~/.gradle/caches, ~/go/pkg/mod/cache/download; "
     "any folder of the home marked by a CACHEDIR.TAG",
     kAppCacheDays, ""},
    {"old-temp", "旧临时文件", "Old temporary files",
     "/var/tmp (not systemd's private folders nor vi.recover), regular files not open",
     kAppCacheDays, "the file is open"},
    {"old-journal", "归档的系统日志", "Archived journal files",
     "/var/log/journal/*/: system@*.journal, user-*@*.journal, *.journal~ (never the active "
     "journal)",
     0, "the file is open"},
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

bool IsDigit(NativeChar c) {
  return c >= '0' && c <= '9';
}

std::size_t DigitsAtEnd(NativeStringView name) {
  std::size_t n = 0;
  while (n < name.size() && IsDigit(name[name.size() - 1 - n])) ++n;
  return n;
}

int TwoDigits(NativeStringView s, std::size_t at) {
  return (s[at] - '0') * 10 + (s[at + 1] - '0');
}

// logrotate's dateext: "-YYYYMMDD", or "-YYYYMMDDHH" when it rotates hourly.
bool EndsWithRotationDate(NativeStringView name) {
  const std::size_t digits = DigitsAtEnd(name);
  if ((digits != 8 && digits != 10) || name.size() <= digits + 1) return false;
  const std::size_t at = name.size() - digits;
  if (name[at - 1] != '-') return false;
  const int century = TwoDigits(name, at);
  const int month = TwoDigits(name, at + 4);
  const int day = TwoDigits(name, at + 6);
  return (century == 19 || century == 20) && month >= 1 && month <= 12 && day >= 1 && day <= 31 &&
         (digits == 8 || TwoDigits(name, at + 8) <= 23);
}

// logrotate's numbered copies: "syslog.1" up to a few hundred. A stem that itself ends in
// ".<digits>" is a name with numbers in it (Samba's "log.192.168.1.5"), not a rotated copy; a
// long number is a sequence (MySQL's "mysql-bin.000042", written to while live).
bool EndsWithRotationNumber(NativeStringView name) {
  const std::size_t digits = DigitsAtEnd(name);
  if (digits == 0 || digits > 3 || name.size() < digits + 2) return false;
  const std::size_t dot = name.size() - digits - 1;
  if (name[dot] != '.' || name[dot + 1] == '0') return false;
  const NativeStringView stem = name.substr(0, dot);
  const std::size_t stemDigits = DigitsAtEnd(stem);
  return !(stemDigits > 0 && stemDigits < stem.size() && stem[stem.size() - stemDigits - 1] == '.');
}

}  // namespace

bool IsRotatedLogName(NativeStringView name) {
  // Compressed or put aside, a log is no longer written to.
  for (std::string_view suffix : {".gz", ".xz", ".zst", ".bz2", ".old"})
    if (name.size() > suffix.size() && EndsWith(name, suffix)) return true;
  return EndsWithRotationNumber(name) || EndsWithRotationDate(name);
}

bool LocationFileMatches(LocationFiles files, NativeStringView name) {
  switch (files) {
    case LocationFiles::kAll:
      return true;
    case LocationFiles::kDebPackages:
      return name.size() > 4 && EndsWith(name, ".deb");
    case LocationFiles::kTrashInfo:
      return name.size() > 10 && EndsWith(name, ".trashinfo");
    case LocationFiles::kRotatedLogs:
      return IsRotatedLogName(name);
    case LocationFiles::kPartialDownloads:
      for (std::string_view suffix : {".crdownload", ".part", ".partial", ".download"})
        if (name.size() > suffix.size() && EndsWith(name, suffix)) return true;
      return false;
    case LocationFiles::kArchivedJournal:
      if (name.size() > 9 && EndsWith(name, ".journal~")) return true;
      // journald names a file it has closed NAME@SEQNUM-...journal; the open one is NAME.journal.
      return name.size() > 8 && EndsWith(name, ".journal") &&
             name.find('@') != NativeStringView::npos;
  }
  return false;
}

}  // namespace kelvo::scan
