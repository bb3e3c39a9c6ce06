// Finding the common junk locations in a fake home and system tree: every location found with its
// folders, absent ones and links left out, a running browser's cache skipped with a note.
#include <unistd.h>

#include <algorithm>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/file_system.h"
#include "platform/process_probe.h"
#include "scan/browser_lock.h"
#include "scan/location_finder.h"
#include "support/fake_home.h"

namespace kelvo::scan {
namespace {

using ::testing::ElementsAre;
using testing::FakeHome;
using ::testing::IsEmpty;

std::vector<std::string> FoldersOf(const FoundLocations& found, int location,
                                   const std::string& prefix) {
  std::vector<std::string> out;
  for (const LocationFolder& f : found.folders)
    if (f.location == location) out.push_back(NativeToUtf8(f.path).substr(prefix.size()));
  return out;
}

TEST(LocationFinderTest, FindsEveryLocationOfTheFakeHomeInTableOrder) {
  FakeHome home;
  const std::string top = home.tree().root();
  const FoundLocations found = FindLocations(LocationSet().set(), home.Folders(), {home.DiskTop()},
                                             platform::NativeFileSystem());
  EXPECT_THAT(FoldersOf(found, kThumbnails, top),
              ElementsAre("home/.cache/thumbnails/", "home/.thumbnails/"));
  const std::string trash = "sys/.Trash-" + std::to_string(::getuid());
  EXPECT_THAT(FoldersOf(found, kTrash, top),
              ElementsAre("home/.local/share/Trash/files/", "home/.local/share/Trash/info/",
                          trash + "/files/", trash + "/info/"));
  EXPECT_THAT(
      FoldersOf(found, kBrowserCache, top),
      ElementsAre("home/.cache/mozilla/firefox/abcd.default-release/cache2/",
                  "home/.cache/chromium/Default/Cache/", "home/.cache/chromium/Default/Code Cache/",
                  "home/.config/chromium/Default/GPUCache/",
                  "home/.var/app/org.mozilla.firefox/cache/mozilla/firefox/x.default/"
                  "cache2/"));
  EXPECT_THAT(FoldersOf(found, kAppCache, top),
              ElementsAre("home/.cache/", "home/.var/app/org.gnome.Maps/cache/",
                          "home/.var/app/org.mozilla.firefox/cache/"));
  EXPECT_THAT(FoldersOf(found, kCrashDumps, top),
              ElementsAre("sys/var/lib/systemd/coredump/", "sys/var/crash/"));
  EXPECT_THAT(FoldersOf(found, kPackageCache, top),
              ElementsAre("sys/var/cache/apt/archives/", "sys/var/cache/apt/archives/partial/",
                          "sys/var/cache/pacman/pkg/"));
  EXPECT_THAT(FoldersOf(found, kOldLogs, top), ElementsAre("sys/var/log/"));
  for (std::size_t i = 1; i < found.folders.size(); ++i)
    EXPECT_LE(found.folders[i - 1].location, found.folders[i].location);

  // The running browser's cache: a note, no folder; the application cache does not take it up.
  ASSERT_EQ(found.skipped.size(), 1u);
  EXPECT_EQ(NativeToUtf8(found.skipped[0].folder), home.RunningBrowserCache());
  EXPECT_EQ(NativeToUtf8(found.skipped[0].lock), home.RunningBrowserLock());
  const LocationFolder& appCache =
      *std::find_if(found.folders.begin(), found.folders.end(),
                    [](const LocationFolder& f) { return f.location == kAppCache; });
  EXPECT_EQ(appCache.defaultDays, kAppCacheDays);
  // Thumbnails, Firefox, two of Chromium and the one in use.
  EXPECT_EQ(appCache.skip.size(), 5u);
  EXPECT_TRUE(std::count(appCache.skip.begin(), appCache.skip.end(),
                         Utf8ToNative(home.RunningBrowserCache())));

  // pacman at work: its cache is in use.
  home.tree().File("sys/var/lib/pacman/db.lck");
  const FoundLocations busy = FindLocations(LocationSet().set(kPackageCache), home.Folders(), {},
                                            platform::NativeFileSystem());
  EXPECT_THAT(FoldersOf(busy, kPackageCache, top),
              ElementsAre("sys/var/cache/apt/archives/", "sys/var/cache/apt/archives/partial/"));
  ASSERT_EQ(busy.skipped.size(), 1u);
  EXPECT_EQ(NativeToUtf8(busy.skipped[0].lock), home.tree().Path("sys/var/lib/pacman/db.lck"));
}

TEST(LocationFinderTest, LeavesOutWhatIsAbsentUnwantedOrALink) {
  FakeHome home;
  platform::UserFolders nowhere = home.Folders();
  nowhere.home = nowhere.cacheHome = nowhere.configHome = nowhere.dataHome =
      home.tree().Path("missing");
  nowhere.systemRoot = home.tree().Path("missing");
  EXPECT_THAT(FindLocations(LocationSet().set(), nowhere, {}, platform::NativeFileSystem()).folders,
              IsEmpty());

  testing::TempTree linked;
  linked.Dir("home/.cache");
  linked.Symlink(home.tree().Path("home/.cache/thumbnails"), "home/.cache/thumbnails");
  linked.Symlink(home.tree().Path("sys/var"), "home/.thumbnails");
  platform::UserFolders f = home.Folders();
  f.home = linked.Path("home");
  f.cacheHome = linked.Path("home/.cache");
  const FoundLocations found =
      FindLocations(LocationSet().set(kThumbnails), f, {}, platform::NativeFileSystem());
  EXPECT_THAT(found.folders, IsEmpty());

  // A cache folder set to the home itself, or above it, is no application cache.
  for (const std::string& cache : {home.tree().Path("home"), home.tree().root()}) {
    f = home.Folders();
    f.cacheHome = cache;
    const FoundLocations wide =
        FindLocations(LocationSet().set(kAppCache), f, {}, platform::NativeFileSystem());
    EXPECT_EQ(wide.folders.size(), 2u) << cache;  // the flatpak applications' caches only
  }
}

TEST(BrowserLockTest, ReadsBothLockFormsAndHonoursOnlyLiveOnes) {
  const auto chromium = ParseLockText("my-host-1234", LockStyle::kChromium);
  ASSERT_TRUE(chromium);
  EXPECT_EQ(chromium->host, "my-host");
  EXPECT_EQ(chromium->pid, 1234);
  ASSERT_TRUE(ParseLockText("127.0.1.1:+77", LockStyle::kFirefox));
  EXPECT_EQ(ParseLockText("127.0.1.1:+77", LockStyle::kFirefox)->pid, 77);
  EXPECT_FALSE(ParseLockText("host-", LockStyle::kChromium));
  EXPECT_FALSE(ParseLockText("1234", LockStyle::kChromium));

  testing::TempTree t;
  const std::string self = std::to_string(::getpid());
  t.Symlink(platform::HostName() + "-" + self, "running");
  t.Symlink(platform::HostName() + "-999999999", "stale");  // above any process id
  t.Symlink("elsewhere.example-" + self, "other-host");
  t.Symlink("127.0.0.1:+" + self, "firefox");
  t.Symlink("garbage", "unreadable");
  EXPECT_TRUE(LockHeld(t.Path("running"), LockStyle::kChromium));
  EXPECT_FALSE(LockHeld(t.Path("stale"), LockStyle::kChromium));
  EXPECT_TRUE(LockHeld(t.Path("other-host"), LockStyle::kChromium));
  EXPECT_TRUE(LockHeld(t.Path("firefox"), LockStyle::kFirefox));
  EXPECT_TRUE(LockHeld(t.Path("unreadable"), LockStyle::kChromium));
  EXPECT_FALSE(LockHeld(t.Path("none"), LockStyle::kChromium));
}

TEST(LocationFilesTest, PackagesAndRotatedLogsByName) {
  auto matches = [](LocationFiles files, const char* name) {
    return LocationFileMatches(files, AsciiToNative(name));
  };
  EXPECT_TRUE(matches(LocationFiles::kDebPackages, "vim_9.0_amd64.deb"));
  EXPECT_FALSE(matches(LocationFiles::kDebPackages, "lock"));
  EXPECT_FALSE(matches(LocationFiles::kDebPackages, ".deb"));
  for (const char* rotated : {"syslog.1", "a.log.2.gz", "x.xz", "y.zst", "Xorg.0.log.old"})
    EXPECT_TRUE(matches(LocationFiles::kRotatedLogs, rotated)) << rotated;
  for (const char* live : {"syslog", "dpkg.log", "Xorg.0.log", "a.10x", ".1"})
    EXPECT_FALSE(matches(LocationFiles::kRotatedLogs, live)) << live;
  EXPECT_EQ(LocationByKey("old-logs"), kOldLogs);
  EXPECT_FALSE(LocationByKey("logs"));
}

}  // namespace
}  // namespace kelvo::scan
