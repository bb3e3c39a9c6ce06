// Walking the common junk locations of a fake home: every planted junk file is one row under its
// location's label and nothing else is; the rules still apply inside; ages filter rows.
#include <sys/stat.h>

#include <algorithm>
#include <memory>
#include <set>
#include <tuple>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/file_system.h"
#include "scan/driver.h"
#include "scan/keep_list.h"
#include "scan/location_finder.h"
#include "support/fake_home.h"
#include "support/recording_scan.h"

namespace kelvo::scan {
namespace {

using ::testing::ElementsAre;
using testing::FakeHome;
using testing::RecordingScan;
using Row = std::tuple<std::string, int, std::uint64_t>;  // path, location, size

class WalkerLocationTest : public ::testing::Test {
 protected:
  WalkerLocationTest() {
    found = FindLocations(LocationSet().set(), home.Folders(), {home.DiskTop()},
                          platform::NativeFileSystem());
  }

  // Every location root in one request, as the command line makes it.
  std::vector<Row> Walk(const AgeLimit& age) {
    controls.rows.clear();
    ScanRequest request;
    for (const LocationFolder& f : found.folders)
      request.roots.push_back({RootKind::kLocation, f.path, f});
    request.age = age;
    RunScan(state, request, controls, controls, platform::NativeFileSystem());
    std::vector<Row> rows;
    for (const JunkItem& r : controls.rows)
      rows.emplace_back(NativeToUtf8(r.fullPath), LocationOfRule(r.rule).value_or(-r.rule),
                        r.size.value_or(0));
    std::sort(rows.begin(), rows.end());
    return rows;
  }

  std::vector<std::string> TrashRows(const AgeLimit& age) {
    std::vector<std::string> out;
    const std::string top = home.tree().root();
    for (const Row& r : Walk(age))
      if (std::get<1>(r) == kTrash) out.push_back(std::get<0>(r).substr(top.size()));
    return out;
  }

  FakeHome home;
  FoundLocations found;
  RecordingScan controls;
  ScanState state;
};

TEST_F(WalkerLocationTest, EveryPlantedFileIsOneRowOfItsLocationAndNothingElse) {
  std::vector<Row> expected;
  for (const auto& p : home.planted())
    if (p.location >= 0) expected.emplace_back(p.path, p.location, p.size);
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(Walk(AgeLimit::StartingNow()), expected);
  for (const JunkItem& r : controls.rows) {
    const int location = *LocationOfRule(r.rule);
    EXPECT_EQ(NativeToUtf8(r.typeLabel), kLocations[static_cast<std::size_t>(location)].label);
    ASSERT_TRUE(r.identity);
    EXPECT_EQ(r.identity->type, platform::EntryType::kFile);
  }
}

TEST_F(WalkerLocationTest, TheRulesStillApplyAndTheScansAgeReplacesTheDefault) {
  home.tree().File("home/.cache/tool/.hidden/draft.tmp");  // new, below a dot folder
  controls.patterns[0] = true;                             // *.tmp
  std::vector<Row> rows = Walk(AgeLimit::StartingNow());
  EXPECT_EQ(std::count(rows.begin(), rows.end(),
                       Row{home.tree().Path("home/.cache/tool/.hidden/draft.tmp"), -1, 1}),
            1);

  // 50 days for every row: only the oldest application caches stay, no new .tmp.
  controls.patterns[0] = false;
  rows = Walk(AgeLimit::StartingNow(50));
  EXPECT_THAT(rows, ElementsAre(Row{home.tree().Path("home/.cache/mozilla/firefox/"
                                                     "abcd.default-release/startupCache/"
                                                     "scriptCache.bin"),
                                    kAppCache, 1000},
                                Row{home.tree().Path("home/.cache/yarn/v6/npm-left-pad.tgz"),
                                    kAppCache, 50000}));
  // 0 days: every application cache file is offered, the new ones too.
  rows = Walk(AgeLimit::StartingNow(0));
  EXPECT_EQ(std::count_if(rows.begin(), rows.end(),
                          [](const Row& r) { return std::get<1>(r) == kAppCache; }),
            7);
}

TEST_F(WalkerLocationTest, ATrashItemAndItsDescriptionAreRowsTogetherOrNotAtAll) {
  const std::string trash = "home/.local/share/Trash/";
  // Trashed long ago, so its description is new; a description whose item is gone.
  home.SetAge(trash + "files/report.odt", 60);
  home.tree().File(trash + "info/gone.trashinfo");
  home.SetAge(trash + "info/gone.trashinfo", 60);
  // Under an age, the new items stay and so do their descriptions; the old item takes its new
  // description along; the orphan goes by its own age.
  EXPECT_THAT(TrashRows(AgeLimit::StartingNow(50)),
              ElementsAre(trash + "files/report.odt", trash + "info/gone.trashinfo",
                          trash + "info/report.odt.trashinfo"));

  // A kept file holds its whole item back, and the item its description; a kept sub-folder too.
  KeepList keep;
  keep.AddPattern(AsciiToNative("notes.txt"));
  keep.AddPattern(AsciiToNative("movie.mkv"));
  state.keepList = &keep;
  const std::string disk = "sys/.Trash-" + std::to_string(::getuid()) + "/";
  EXPECT_THAT(TrashRows(AgeLimit::StartingNow()),
              ElementsAre(trash + "files/old project/src/main.c", trash + "files/report.odt",
                          trash + "info/gone.trashinfo", trash + "info/report.odt.trashinfo"));
  keep = KeepList();
  keep.AddFolder(Utf8ToNative(home.tree().Path(trash + "files/old project/src")));
  EXPECT_THAT(TrashRows(AgeLimit::StartingNow()),
              ElementsAre(trash + "files/old project/notes.txt", trash + "files/report.odt",
                          trash + "info/gone.trashinfo", trash + "info/report.odt.trashinfo",
                          disk + "files/movie.mkv", disk + "info/movie.mkv.trashinfo"));
}

TEST_F(WalkerLocationTest, ALocationInsideADiskRootIsWalkedOnceForTheRulesAndTheCount) {
  home.tree().File("sys/var/log/Xorg.0.log.old", "old");  // a *.old row and a rotated log
  home.tree().File("sys/var/log/.private/a.old");         // below a dot folder: the disk never goes
  controls.patterns[1] = true;                            // *.old
  auto scan = [&](bool withDisk, bool withLocation) {
    controls.rows.clear();
    controls.scannedFolders.clear();
    ScanRequest request;
    if (withDisk)
      request.roots.push_back({RootKind::kDisk, Utf8ToNative(home.tree().Path("sys/"))});
    for (const LocationFolder& f : found.folders)
      if (withLocation && f.location == kOldLogs)
        request.roots.push_back({RootKind::kLocation, f.path, f});
    RunScan(state, request, controls, controls, platform::NativeFileSystem());
    std::multiset<std::pair<std::string, int>> rows;
    for (const JunkItem& r : controls.rows)
      rows.emplace(NativeToUtf8(r.fullPath).substr(home.tree().root().size()), r.rule);
    return std::pair(rows, controls.scannedCount);
  };
  const auto [diskRows, diskFolders] = scan(true, false);
  const auto [logRows, logFolders] = scan(false, true);
  const auto [bothRows, bothFolders] = scan(true, true);
  EXPECT_EQ(diskRows.count({"sys/var/log/Xorg.0.log.old", 2}), 1u);
  EXPECT_EQ(logRows.count({"sys/var/log/.private/a.old", 2}), 1u);
  // Each file once per rule; the disk's folders counted once, the dot folder it skipped added.
  EXPECT_EQ(bothRows.count({"sys/var/log/Xorg.0.log.old", 2}), 1u);
  EXPECT_EQ(bothRows.count({"sys/var/log/Xorg.0.log.old", LocationRule(kOldLogs)}), 1u);
  EXPECT_EQ(bothRows.count({"sys/var/log/.private/a.old", 2}), 1u);
  // Five rotated logs (a.old among them) and the rule's row below the dot folder, nothing twice.
  EXPECT_EQ(bothRows.size(), diskRows.size() + 6);
  EXPECT_EQ(bothFolders, diskFolders + 1);

  // A disk root inside another, or inside a location's walk, is not walked again.
  ScanRequest nested;
  nested.roots.push_back({RootKind::kDisk, Utf8ToNative(home.tree().Path("sys/"))});
  nested.roots.push_back({RootKind::kDisk, Utf8ToNative(home.tree().Path("sys/var/"))});
  nested.roots.push_back({RootKind::kDisk, Utf8ToNative(home.tree().Path("sys/"))});
  for (const LocationFolder& f : found.folders)
    if (f.location == kOldLogs) nested.roots.push_back({RootKind::kLocation, f.path, f});
  nested.roots.push_back(
      {RootKind::kDisk, Utf8ToNative(home.tree().Path("sys/var/log/.private/"))});
  controls.rows.clear();
  controls.scannedFolders.clear();
  RunScan(state, nested, controls, controls, platform::NativeFileSystem());
  EXPECT_EQ(controls.rows.size(), bothRows.size());
  EXPECT_EQ(controls.scannedCount, bothFolders);
}

TEST_F(WalkerLocationTest, SettingsInACacheAndOpenFilesAreNoRows) {
  home.tree().File("home/.cache/keepassxc/keepassxc.ini");
  home.tree().File("home/.cache/tool.conf");
  home.tree().File("home/.cache/tool/deep/old.ini");  // below an app's top: a cache file
  for (const char* f : {"home/.cache/keepassxc/keepassxc.ini", "home/.cache/tool.conf",
                        "home/.cache/tool/deep/old.ini"})
    home.SetAge(f, 90);
  home.tree().File("sys/var/tmp/held.dat");
  home.tree().File("sys/var/tmp/left.dat");
  home.SetAge("sys/var/tmp/held.dat", 90);
  home.SetAge("sys/var/tmp/left.dat", 90);
  struct stat held;
  ASSERT_EQ(::stat(home.tree().Path("sys/var/tmp/held.dat").c_str(), &held), 0);
  found = FindLocations(LocationSet().set(), home.Folders(), {home.DiskTop()},
                        platform::NativeFileSystem());
  for (LocationFolder& f : found.folders)
    if (f.location == kOldTempFiles)
      f.openFiles = std::make_shared<const OpenFiles>(
          OpenFiles{{static_cast<std::uint64_t>(held.st_dev), held.st_ino}});
  const std::vector<Row> rows = Walk(AgeLimit::StartingNow());
  auto listed = [&](const char* relative) {
    return std::count_if(rows.begin(), rows.end(), [&](const Row& r) {
      return std::get<0>(r) == home.tree().Path(relative);
    });
  };
  EXPECT_EQ(listed("home/.cache/keepassxc/keepassxc.ini"), 0);
  EXPECT_EQ(listed("home/.cache/tool.conf"), 0);
  EXPECT_EQ(listed("home/.cache/tool/deep/old.ini"), 1);
  EXPECT_EQ(state.settingsInCaches.load(), 2u);
  EXPECT_EQ(listed("sys/var/tmp/held.dat"), 0);
  EXPECT_EQ(listed("sys/var/tmp/left.dat"), 1);
}

}  // namespace
}  // namespace kelvo::scan
