#include "fake_home.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <ctime>

#include "platform/posix/xdg_folders.h"
#include "platform/process_probe.h"
#include "scan/locations.h"

namespace kelvo::testing {

using namespace kelvo::scan;

FakeHome::FakeHome() {
  const std::string trash = ".Trash-" + std::to_string(::getuid());
  // Thumbnails.
  Plant("home/.cache/thumbnails/normal/0a1b2c.png", kThumbnails, 3000);
  Plant("home/.cache/thumbnails/large/3d4e5f.png", kThumbnails, 12000);
  Plant("home/.cache/thumbnails/fail/gnome-thumbnail-factory/6a7b.png", kThumbnails, 500);
  Plant("home/.thumbnails/normal/8c9d.png", kThumbnails, 2000);
  // The trash: two items (a file, a folder) with their descriptions, and one on the disk's top.
  Plant("home/.local/share/Trash/files/report.odt", kTrash, 5000);
  Plant("home/.local/share/Trash/files/old project/notes.txt", kTrash, 100);
  Plant("home/.local/share/Trash/files/old project/src/main.c", kTrash, 200);
  Plant("home/.local/share/Trash/info/report.odt.trashinfo", kTrash, 60);
  Plant("home/.local/share/Trash/info/old project.trashinfo", kTrash, 60);
  Plant("sys/" + trash + "/files/movie.mkv", kTrash, 9000);
  Plant("sys/" + trash + "/info/movie.mkv.trashinfo", kTrash, 60);
  // Browser caches: Firefox, Chromium (cache and config side), Firefox as a flatpak.
  Plant("home/.cache/mozilla/firefox/abcd.default-release/cache2/entries/4F1A", kBrowserCache,
        4000);
  Plant("home/.cache/mozilla/firefox/abcd.default-release/cache2/index", kBrowserCache, 300);
  Plant("home/.cache/chromium/Default/Cache/Cache_Data/data_0", kBrowserCache, 8192);
  Plant("home/.cache/chromium/Default/Code Cache/js/index", kBrowserCache, 24);
  Plant("home/.config/chromium/Default/GPUCache/data_1", kBrowserCache, 4096);
  Plant("home/.config/chromium/Default/Preferences", -1, 700);
  Plant("home/.var/app/org.mozilla.firefox/cache/mozilla/firefox/x.default/cache2/entries/77",
        kBrowserCache, 3000);
  // A running browser (its lock names this process): its cache is no row, and no application
  // cache either.
  Plant("home/.cache/google-chrome/Default/Cache/Cache_Data/data_0", -1, 8192);
  tree_.Symlink(platform::HostName() + "-" + std::to_string(::getpid()),
                "home/.config/google-chrome/SingletonLock");
  // Application caches: only what has not been modified for 30 days.
  Plant("home/.cache/mozilla/firefox/abcd.default-release/startupCache/scriptCache.bin", kAppCache,
        1000, 60);
  Plant("home/.cache/pip/http/a/b/c/entry", kAppCache, 9000, 45);
  Plant("home/.cache/yarn/v6/npm-left-pad.tgz", kAppCache, 50000, 90);
  Plant("home/.cache/fontconfig/cache-8", -1, 2500, 1);
  Plant("home/.var/app/org.gnome.Maps/cache/tiles/1.png", kAppCache, 7000, 40);
  Plant("home/.var/app/org.gnome.Maps/cache/tiles/2.png", -1, 7000, 2);
  // Crash dumps, package caches, rotated logs.
  Plant("sys/var/lib/systemd/coredump/core.gedit.1000.zst", kCrashDumps, 30000);
  Plant("sys/var/crash/_usr_bin_gedit.1000.crash", kCrashDumps, 20000);
  Plant("sys/var/cache/apt/archives/vim_9.0_amd64.deb", kPackageCache, 150000);
  Plant("sys/var/cache/apt/archives/lock", -1, 0);
  Plant("sys/var/cache/apt/archives/partial/curl_7.88_amd64.deb", kPackageCache, 1000);
  Plant("sys/var/cache/pacman/pkg/zstd-1.5-x86_64.pkg.tar.zst", kPackageCache, 4000);
  Plant("sys/var/log/syslog", -1, 9000);
  Plant("sys/var/log/syslog.1", kOldLogs, 5000);
  Plant("sys/var/log/syslog.2.gz", kOldLogs, 1500);
  Plant("sys/var/log/apt/history.log.1.gz", kOldLogs, 800);
  Plant("sys/var/log/dpkg.log", -1, 3000);
  // Files of the user that are no junk.
  Plant("home/Documents/report.odt", -1, 6000);
  Plant("home/.config/app/settings.conf", -1, 100);
  Plant("home/.local/share/app/data.db", -1, 4000);
}

void FakeHome::Plant(const std::string& relative, int location, std::uint64_t size, int daysOld) {
  tree_.File(relative, std::string(size, 'j'));
  if (daysOld > 0) SetAge(relative, daysOld);
  planted_.push_back({tree_.Path(relative), location, size});
}

void FakeHome::SetAge(const std::string& relative, int daysOld) {
  timespec times[2];
  times[0].tv_sec = times[1].tv_sec = std::time(nullptr) - daysOld * 86400L;
  times[0].tv_nsec = times[1].tv_nsec = 0;
  ::utimensat(AT_FDCWD, tree_.Path(relative).c_str(), times, AT_SYMLINK_NOFOLLOW);
}

platform::UserFolders FakeHome::Folders() const {
  platform::UserFolders f;
  f.home = tree_.Path("home");
  f.cacheHome = tree_.Path("home/.cache");
  f.configHome = tree_.Path("home/.config");
  f.dataHome = tree_.Path("home/.local/share");
  f.downloads = tree_.Path("home/Downloads");
  f.systemRoot = tree_.Path("sys");
  f.userId = std::to_string(::getuid());
  for (std::string& folder : platform::DocumentFoldersOf("", f.home))
    f.documentFolders.push_back(std::move(folder));
  return f;
}

FakeHome::Environment::Environment(const FakeHome& home) {
  const platform::UserFolders f = home.Folders();
  const std::pair<const char*, std::string> values[] = {{"HOME", f.home},
                                                        {"XDG_CACHE_HOME", f.cacheHome},
                                                        {"XDG_CONFIG_HOME", f.configHome},
                                                        {"XDG_DATA_HOME", f.dataHome},
                                                        {"KELVO_SYSTEM_ROOT", f.systemRoot}};
  for (const auto& [name, value] : values) {
    const char* old = std::getenv(name);
    saved_.emplace_back(name, old ? std::string(old) : std::string(1, '\0'));
    ::setenv(name, value.c_str(), 1);
  }
}

FakeHome::Environment::~Environment() {
  for (const auto& [name, value] : saved_) {
    if (value == std::string(1, '\0'))
      ::unsetenv(name.c_str());
    else
      ::setenv(name.c_str(), value.c_str(), 1);
  }
}

}  // namespace kelvo::testing
