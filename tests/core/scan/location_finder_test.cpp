// Finding the common junk locations in a fake home and system tree: every location found with its
// folders, absent ones and links left out, a running browser's cache skipped with a note.
#include <unistd.h>

#include <algorithm>
#include <map>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/file_system.h"
#include "platform/posix/xdg_folders.h"
#include "platform/process_probe.h"
#include "scan/browser_lock.h"
#include "scan/cache_formats.h"
#include "scan/location_finder.h"
#include "support/fake_home.h"

namespace kelvo::scan {
namespace {

using ::testing::ElementsAre;
using testing::FakeHome;
using ::testing::IsEmpty;

// The system's probes, with the effective user and folders' owners made up where a test says.
class FakeProbes : public LocationProbes {
 public:
  bool LockHeld(const NativeString& lock, LockStyle style) override {
    return SystemProbes().LockHeld(lock, style);
  }
  bool FileLockHeld(const NativeString& path) override { return SystemProbes().FileLockHeld(path); }
  bool EntryExists(const NativeString& path) override { return SystemProbes().EntryExists(path); }
  std::optional<platform::EntryOwner> OwnerOf(const NativeString& path) override {
    auto owner = SystemProbes().OwnerOf(path);
    if (const auto it = owners.find(NativeToUtf8(path)); owner && it != owners.end())
      owner->user = it->second;
    return owner;
  }
  std::uint32_t EffectiveUser() override { return user; }
  std::string FileStart(const NativeString& path, std::size_t bytes) override {
    return SystemProbes().FileStart(path, bytes);
  }
  std::shared_ptr<const OpenFiles> FilesOpenNow() override {
    return std::make_shared<const OpenFiles>(open);
  }

  std::uint32_t user = ::geteuid();
  std::map<std::string, std::uint32_t> owners;  // path without final separator, owner
  OpenFiles open;
};

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

TEST(LocationFinderTest, TakesOnlyTheUsersOwnTrashFolders) {
  FakeHome home;
  const std::string top = home.tree().root();
  const std::string uid = std::to_string(::geteuid());
  FakeProbes probes;
  // Another user's .Trash-UID (as root: .Trash-0 made by someone else) is no trash of ours.
  probes.owners[home.tree().Path("sys/.Trash-" + uid)] = 4242;
  // A shared .Trash holds one folder per user; only a sticky one keeps users apart.
  home.tree().File("sys/.Trash/" + uid + "/files/shared.iso");
  home.tree().File("sys/.Trash/" + uid + "/info/shared.iso.trashinfo");
  auto find = [&] {
    return FindLocations(LocationSet().set(kTrash), home.Folders(), {home.DiskTop()},
                         platform::NativeFileSystem(), probes);
  };
  FoundLocations found = find();
  EXPECT_THAT(FoldersOf(found, kTrash, top),
              ElementsAre("home/.local/share/Trash/files/", "home/.local/share/Trash/info/"));
  ASSERT_EQ(found.refused.size(), 2u);
  EXPECT_EQ(found.refused[0].why, "a trash that belongs to another user");
  EXPECT_EQ(found.refused[1].why, "a shared trash that is not sticky");

  home.tree().Chmod("sys/.Trash", 01777);
  probes.owners[home.tree().Path("sys/.Trash/" + uid)] = 4242;
  EXPECT_EQ(FoldersOf(find(), kTrash, top).size(), 2u);
  probes.owners.clear();
  EXPECT_THAT(FoldersOf(find(), kTrash, top),
              ElementsAre("home/.local/share/Trash/files/", "home/.local/share/Trash/info/",
                          "sys/.Trash-" + uid + "/files/", "sys/.Trash-" + uid + "/info/",
                          "sys/.Trash/" + uid + "/files/", "sys/.Trash/" + uid + "/info/"));

  // A shared .Trash that is a link leads elsewhere: nothing of it is taken.
  testing::TempTree disk;
  disk.Dir("real/" + uid + "/files", 0700);
  disk.Chmod("real", 01777);
  disk.Symlink(disk.Path("real"), ".Trash");
  EXPECT_THAT(FindLocations(LocationSet().set(kTrash), home.Folders(), {disk.Path("")},
                            platform::NativeFileSystem(), probes)
                  .folders,
              ::testing::SizeIs(2));  // the home's trash only
}

TEST(LocationFinderTest, AnApplicationCacheNeedsAHomeAndAFolderOfTheUsers) {
  FakeHome home;
  FakeProbes probes;
  testing::TempTree elsewhere;
  elsewhere.File("docs/thesis.odt");
  auto appCaches = [&](const platform::UserFolders& f) {
    return FindLocations(LocationSet().set(kAppCache), f, {}, platform::NativeFileSystem(), probes);
  };
  // Without a home, a cache folder set anywhere is none: no thesis offered as a cache.
  platform::UserFolders f = home.Folders();
  f.home = home.tree().Path("missing");
  f.cacheHome = elsewhere.Path("");
  FoundLocations found = appCaches(f);
  EXPECT_THAT(found.folders, IsEmpty());
  ASSERT_EQ(found.refused.size(), 1u);
  EXPECT_EQ(found.refused[0].why, "no application cache without a home folder");

  // Outside the home: only a folder the user owns, and never for root, whose are all the system's.
  f = home.Folders();
  f.cacheHome = elsewhere.Path("");
  const std::string top = elsewhere.root().substr(0, elsewhere.root().size() - 1);
  probes.user = 1000;
  probes.owners[top] = 0;
  EXPECT_EQ(appCaches(f).folders.size(), 2u);  // the flatpak applications' caches only
  probes.owners[top] = 1000;
  EXPECT_EQ(appCaches(f).folders.size(), 3u);
  probes.user = 0;
  probes.owners[top] = 0;
  found = appCaches(f);
  EXPECT_EQ(found.folders.size(), 2u);
  ASSERT_EQ(found.refused.size(), 1u);
  EXPECT_EQ(found.refused[0].why, "no application cache: outside the home and not the user's own");
}

// A home of other programs than the fake home's: downloads, snaps, developer tools, Electron apps,
// and a system with temporary files and a journal.
TEST(LocationFinderTest, FindsTheOtherKindsByTheirFormatNotByProgram) {
  testing::TempTree t;
  t.File("home/Downloads/big.iso.part");
  t.File("home/snap/firefox/common/.cache/x");
  t.File("home/snap/firefox/4012/.cache/y");
  t.Symlink("4012", "home/snap/firefox/current");
  t.File("home/.npm/_cacache/index-v5/a");
  t.File("home/src/proj/target/CACHEDIR.TAG", std::string(kCacheDirTagSignature) + "\n# cargo");
  t.File("home/src/fake/target/CACHEDIR.TAG", "Signature: something else");
  t.File("home/.config/Code/Cache/Cache_Data/index");
  t.File("home/.config/Code/Code Cache/js/index");
  t.File("home/.config/Code/CachedData/abc/x.code");
  t.File("home/.config/Code/User/settings.json");
  t.File("home/.config/discord/GPUCache/data_0");
  t.Symlink(platform::HostName() + "-" + std::to_string(::getpid()),
            "home/.config/discord/SingletonLock");
  t.File("home/.config/notes/Cache/mine.txt");  // named Cache, but not the engine's
  t.File("sys/var/tmp/old.dat");
  t.File("sys/var/tmp/systemd-private-abc-colord.service-x/tmp/live");
  t.File("sys/var/log/journal/m1/system@0001-0002.journal");
  platform::UserFolders f;
  f.home = t.Path("home");
  f.cacheHome = t.Path("home/.cache");
  f.configHome = t.Path("home/.config");
  f.dataHome = t.Path("home/.local/share");
  f.downloads = t.Path("home/Downloads");
  f.systemRoot = t.Path("sys");
  f.userId = std::to_string(::geteuid());
  FakeProbes probes;
  const FoundLocations found =
      FindLocations(LocationSet().set(), f, {}, platform::NativeFileSystem(), probes);
  const std::string top = t.root();
  EXPECT_THAT(FoldersOf(found, kPartialDownloads, top), ElementsAre("home/Downloads/"));
  EXPECT_THAT(FoldersOf(found, kSnapCache, top),
              ElementsAre("home/snap/firefox/4012/.cache/", "home/snap/firefox/common/.cache/"));
  EXPECT_THAT(FoldersOf(found, kDeveloperCache, top),
              ElementsAre("home/.npm/_cacache/", "home/src/proj/target/"));
  EXPECT_THAT(FoldersOf(found, kBrowserCache, top),
              ElementsAre("home/.config/Code/Cache/", "home/.config/Code/Code Cache/",
                          "home/.config/Code/CachedData/"));
  ASSERT_EQ(found.skipped.size(), 1u);  // Discord runs
  EXPECT_EQ(NativeToUtf8(found.skipped[0].folder), t.Path("home/.config/discord/GPUCache/"));
  EXPECT_THAT(FoldersOf(found, kOldTempFiles, top), ElementsAre("sys/var/tmp/"));
  EXPECT_THAT(FoldersOf(found, kArchivedJournal, top), ElementsAre("sys/var/log/journal/m1/"));
  for (const LocationFolder& l : found.folders) {
    const bool inUseMatters = l.location == kOldTempFiles || l.location == kArchivedJournal;
    EXPECT_EQ(static_cast<bool>(l.openFiles), inUseMatters) << l.location;
    if (l.location == kOldTempFiles) {
      EXPECT_THAT(
          l.skip,
          ElementsAre(Utf8ToNative(t.Path("sys/var/tmp/systemd-private-abc-colord.service-x/"))));
    }
  }
  const auto days = [&](int location) {
    return std::find_if(found.folders.begin(), found.folders.end(),
                        [&](const LocationFolder& l) { return l.location == location; })
        ->defaultDays;
  };
  EXPECT_EQ(days(kPartialDownloads), kPartialDownloadDays);
  EXPECT_EQ(days(kSnapCache), kAppCacheDays);
  EXPECT_EQ(days(kDeveloperCache), kAppCacheDays);
}

// A CACHEDIR.TAG is a file anyone can write: planted in the user's own folders, or above one, it
// does not make his files a cache.
TEST(LocationFinderTest, NoCacheTagMakesTheUsersOwnFoldersACache) {
  testing::TempTree t;
  const std::string tag = std::string(kCacheDirTagSignature) + "\n";
  t.File("home/CACHEDIR.TAG", tag);                   // the home itself
  t.File("home/Documents/CACHEDIR.TAG", tag);         // a default, though renamed below
  t.File("home/Dokumente/thesis/CACHEDIR.TAG", tag);  // below the folder the file names
  t.File("home/work/CACHEDIR.TAG", tag);              // above one
  t.File("home/media/videos/CACHEDIR.TAG", tag);      // reached through no link either
  t.Symlink("media/videos", "home/Videos");
  t.File("home/Documents2/target/CACHEDIR.TAG", tag);  // only named like one
  t.File("home/src/proj/target/CACHEDIR.TAG", tag);
  platform::UserFolders f;
  f.home = t.Path("home");
  f.cacheHome = t.Path("home/.cache");
  f.configHome = t.Path("home/.config");
  f.dataHome = t.Path("home/.local/share");
  f.userId = std::to_string(::geteuid());
  for (const std::string& folder : platform::DocumentFoldersOf(
           "XDG_DESKTOP_DIR=\"$HOME/\"\nXDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"\n"
           "XDG_PICTURES_DIR=\"$HOME/work/pics\"\n",
           f.home))
    f.documentFolders.push_back(folder);
  FakeProbes probes;
  const FoundLocations found = FindLocations(LocationSet().set(kDeveloperCache), f, {},
                                             platform::NativeFileSystem(), probes);
  EXPECT_THAT(FoldersOf(found, kDeveloperCache, t.root()),
              ElementsAre("home/Documents2/target/", "home/src/proj/target/"));
  ASSERT_EQ(found.refused.size(), 1u);
  EXPECT_EQ(NativeToUtf8(found.refused[0].folder), t.Path("home/work/"));
}

TEST(LocationFinderTest, TheUsersOwnFoldersAreTheDefaultsAndWhatUserDirsNames) {
  using platform::DocumentFoldersOf;
  const std::vector<std::string> folders = DocumentFoldersOf(
      "XDG_DESKTOP_DIR=\"$HOME\"\nXDG_DOCUMENTS_DIR=\"/data/docs\"\n", "/home/ana/");
  EXPECT_THAT(folders, ::testing::UnorderedElementsAre(
                           "/home/ana/Desktop", "/home/ana/Documents", "/data/docs",
                           "/home/ana/Downloads", "/home/ana/Music", "/home/ana/Pictures",
                           "/home/ana/Videos", "/home/ana/Public", "/home/ana/Templates"));
}

TEST(LocationFinderTest, TheDownloadFolderIsReadFromUserDirs) {
  using platform::DownloadFolderOf;
  EXPECT_EQ(DownloadFolderOf(
                "XDG_DESKTOP_DIR=\"$HOME/Desktop\"\nXDG_DOWNLOAD_DIR=\"$HOME/Téléchargements\"\n",
                "/home/ana"),
            "/home/ana/Téléchargements");
  EXPECT_EQ(DownloadFolderOf("# comment\n  XDG_DOWNLOAD_DIR=\"/data/dl/\"\n", "/home/ana"),
            "/data/dl");
  // Turned off (set to the home), relative, or climbing out: no download folder.
  EXPECT_EQ(DownloadFolderOf("XDG_DOWNLOAD_DIR=\"$HOME/\"\n", "/home/ana"), "");
  EXPECT_EQ(DownloadFolderOf("XDG_DOWNLOAD_DIR=\"dl\"\n", "/home/ana"), "");
  EXPECT_EQ(DownloadFolderOf("XDG_DOWNLOAD_DIR=\"$HOME/../bob\"\n", "/home/ana"), "");
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
  t.File("plain-file");                                  // a lock that is no link
  t.Symlink("192.0.2.7:+" + self, "firefox-elsewhere");  // a documentation address, not ours
  t.Symlink("127.0.0.1:+999999999", "firefox-stale");
  EXPECT_TRUE(LockHeld(t.Path("running"), LockStyle::kChromium));
  EXPECT_FALSE(LockHeld(t.Path("stale"), LockStyle::kChromium));
  EXPECT_TRUE(LockHeld(t.Path("other-host"), LockStyle::kChromium));
  EXPECT_TRUE(LockHeld(t.Path("firefox"), LockStyle::kFirefox));
  EXPECT_TRUE(LockHeld(t.Path("unreadable"), LockStyle::kChromium));
  EXPECT_FALSE(LockHeld(t.Path("none"), LockStyle::kChromium));
  EXPECT_TRUE(LockHeld(t.Path("plain-file"), LockStyle::kChromium));
  EXPECT_TRUE(LockHeld(t.Path("plain-file"), LockStyle::kFirefox));
  EXPECT_TRUE(LockHeld(t.Path("firefox-elsewhere"), LockStyle::kFirefox));
  EXPECT_FALSE(LockHeld(t.Path("firefox-stale"), LockStyle::kFirefox));
}

TEST(LocationFilesTest, PackagesAndRotatedLogsByName) {
  auto matches = [](LocationFiles files, const char* name) {
    return LocationFileMatches(files, AsciiToNative(name));
  };
  EXPECT_TRUE(matches(LocationFiles::kDebPackages, "vim_9.0_amd64.deb"));
  EXPECT_FALSE(matches(LocationFiles::kDebPackages, "lock"));
  EXPECT_FALSE(matches(LocationFiles::kDebPackages, ".deb"));
  for (const char* rotated :
       {"syslog.1", "a.log.2.gz", "x.xz", "y.zst", "Xorg.0.log.old", "auth.log.52", "log.smbd.1",
        "php8.2-fpm.log.3", "log.nmbd.old", "messages-20261201", "cron-2026120123", "b.4.bz2"})
    EXPECT_TRUE(matches(LocationFiles::kRotatedLogs, rotated)) << rotated;
  // Live logs with digits: Samba's per-client logs, X's per-display logs, MySQL's binary logs.
  for (const char* live : {
           "syslog",
           "dpkg.log",
           "Xorg.0.log",
           "a.10x",
           ".1",
           "log.192.168.1.5",
           "log.10.0.0.1",
           "mysql-bin.000042",
           "x.0",
           "x.1234",
           "atop_20261211",
           "app-20261301",
           "app-2026120125",
       })
    EXPECT_FALSE(matches(LocationFiles::kRotatedLogs, live)) << live;
  EXPECT_TRUE(matches(LocationFiles::kTrashInfo, "a.trashinfo"));
  for (const char* partial : {"a.iso.crdownload", "b.part", "c.partial", "d.download"})
    EXPECT_TRUE(matches(LocationFiles::kPartialDownloads, partial)) << partial;
  EXPECT_FALSE(matches(LocationFiles::kPartialDownloads, "movie.part1.rar"));
  for (const char* closed : {"system@00a-0b.journal", "user-1000@1-2.journal", "system.journal~"})
    EXPECT_TRUE(matches(LocationFiles::kArchivedJournal, closed)) << closed;
  for (const char* active : {"system.journal", "user-1000.journal"})
    EXPECT_FALSE(matches(LocationFiles::kArchivedJournal, active)) << active;
  EXPECT_FALSE(matches(LocationFiles::kTrashInfo, ".trashinfo"));
  EXPECT_EQ(LocationByKey("old-logs"), kOldLogs);
  EXPECT_FALSE(LocationByKey("logs"));
}

}  // namespace
}  // namespace kelvo::scan
