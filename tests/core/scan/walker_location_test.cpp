// Walking the common junk locations of a fake home: every planted junk file is one row under its
// location's label and nothing else is; the rules still apply inside; ages filter rows.
#include <algorithm>
#include <tuple>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/file_system.h"
#include "scan/driver.h"
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

}  // namespace
}  // namespace kelvo::scan
