// The order of the walk, its stop points and its failures, on an in-memory tree.
#include <malloc.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "scan/driver.h"
#include "scan/walker.h"
#include "support/memory_file_system.h"
#include "support/recording_scan.h"

namespace kelvo::scan {
namespace {

using ::testing::ElementsAre;
using testing::MemoryFileSystem;
using testing::MemoryNode;
using testing::RecordingScan;

class WalkerTest : public ::testing::Test {
 protected:
  WalkerTest() : c(fs.AddRoot("/C/")) {
    controls.driveKeys = {"/C/"};
    controls.patterns[0] = true;
  }

  void Stop() { state.SetFlags(kFlagFalse); }

  MemoryFileSystem fs;
  MemoryNode& c;
  RecordingScan controls;
  ScanState state;
};

// A disk unticked while the scan runs is skipped when the walk reaches it, not when it started.
TEST_F(WalkerTest, ARootNoLongerWantedWhenTheWalkReachesItIsSkipped) {
  c.AddFile("x.tmp");
  fs.AddRoot("/D/").AddFile("y.tmp");
  controls.driveKeys = {"/C/", "/D/"};
  ScanRequest request = controls.Request();
  std::vector<std::string> asked;
  request.stillWanted = [&](const ScanRoot& root) {
    asked.push_back(NativeToUtf8(root.path));
    return NativeToUtf8(root.path) != "/D/";
  };
  scan::RunScan(state, request, controls, controls, fs);
  EXPECT_THAT(asked, ElementsAre("/C/", "/D/"));
  EXPECT_THAT(controls.events, ElementsAre("show /C/", "row 1 /C/x.tmp", "idle"));
}

TEST_F(WalkerTest, PreOrderWithEachFolderClassifiedBeforeTheNextIsShown) {
  auto& a = c.AddFolder("A");
  a.AddFolder("A1").AddFile("z.tmp");
  a.AddFile("y.tmp");
  c.AddFolder("B").AddFile("w.tmp");
  c.AddFile("x.tmp");
  RunScan(state, controls, fs);
  EXPECT_THAT(
      controls.events,
      ElementsAre("show /C/", "row 1 /C/x.tmp", "show /C/A/", "row 1 /C/A/y.tmp", "show /C/A/A1/",
                  "row 1 /C/A/A1/z.tmp", "show /C/B/", "row 1 /C/B/w.tmp", "idle"));
  EXPECT_EQ(controls.scannedCount, 4u);
}

TEST_F(WalkerTest, SiblingsAreEnteredInListingOrderBeyondTen) {
  for (int i = 15; i >= 0; --i) c.AddFolder("d" + std::to_string(i));
  RunScan(state, controls, fs);
  ASSERT_EQ(controls.scannedFolders.size(), 17u);
  for (int i = 0; i < 16; ++i)
    EXPECT_EQ(controls.scannedFolders[static_cast<std::size_t>(i + 1)],
              "/C/d" + std::to_string(15 - i) + "/");
}

TEST_F(WalkerTest, DotFoldersAreNeitherEnteredNorShownButHiddenFoldersAre) {
  c.AddFolder(".git").AddFile("in.tmp");
  c.AddFolder("hid", platform::attr::kHidden | platform::attr::kSystem).AddFile("h.tmp");
  RunScan(state, controls, fs);
  EXPECT_THAT(controls.scannedFolders, ElementsAre("/C/", "/C/hid/"));
  EXPECT_THAT(controls.RowTexts(), ElementsAre("1|h.tmp|/C/hid/h.tmp|tmp临时文件|1"));
}

TEST_F(WalkerTest, StopDuringClassificationFinishesTheFolderAndOnlyShowsTheRest) {
  auto& a = c.AddFolder("A");
  a.AddFile("1.tmp");
  a.AddFile("2.tmp");
  a.AddFolder("A1").AddFile("3.tmp");
  c.AddFolder("B").AddFile("4.tmp");
  // Ticks 1 and 2 are the root's entries A and B; tick 3 is the first entry of /C/A/.
  controls.onTick = [&](int tick) {
    if (tick == 3) Stop();
  };
  RunScan(state, controls, fs);
  EXPECT_THAT(controls.events,
              ElementsAre("show /C/", "show /C/A/", "row 1 /C/A/1.tmp", "row 1 /C/A/2.tmp",
                          "show /C/A/A1/", "show /C/B/", "idle"));
  EXPECT_EQ(fs.listCalls, 2);
  EXPECT_EQ(state.running.load(), 0);
}

TEST_F(WalkerTest, StopInTheFirstDriveStillShowsTheSecondDriveOnce) {
  fs.AddRoot("/D/").AddFile("d.tmp");
  controls.driveKeys = {"/C/", "/D/"};
  c.AddFile("c.tmp");
  controls.onTick = [&](int) { Stop(); };
  RunScan(state, controls, fs);
  EXPECT_THAT(controls.events, ElementsAre("show /C/", "row 1 /C/c.tmp", "show /D/", "idle"));
}

TEST_F(WalkerTest, FlagsStayTrueAfterAScanThatRanToItsEnd) {
  RunScan(state, controls, fs);
  EXPECT_EQ(state.running.load(), -1);
  EXPECT_EQ(state.classifying.load(), -1);
}

TEST_F(WalkerTest, ClassifyingClearedAloneStillWalksButAddsNoRows) {
  c.AddFolder("A").AddFile("a.tmp");
  state.SetFlags(kFlagTrue);
  state.classifying = kFlagFalse;
  Walker(state, controls, controls, fs).Walk({RootKind::kDisk, NativeString("/C/")});
  EXPECT_THAT(controls.scannedFolders, ElementsAre("/C/", "/C/A/"));
  EXPECT_TRUE(controls.rows.empty());
}

TEST_F(WalkerTest, UnreadableFoldersAreShownCountedAndSkipped) {
  auto& locked = c.AddFolder("locked");
  locked.failList = true;
  locked.AddFile("never.tmp");
  auto& closed = c.AddFolder("closed");
  closed.failOpen = true;
  c.AddFolder("fine").AddFile("ok.tmp");
  RunScan(state, controls, fs);
  EXPECT_THAT(controls.events, ElementsAre("show /C/", "show /C/locked/", "unreadable /C/locked/",
                                           "show /C/closed/", "unreadable /C/closed/",
                                           "show /C/fine/", "row 1 /C/fine/ok.tmp", "idle"));
  EXPECT_EQ(controls.scannedCount, 4u);
}

TEST_F(WalkerTest, UnreadableRootIsShownOnceAndTheNextRootIsWalked) {
  c.failOpen = true;
  fs.AddRoot("/D/").AddFile("d.tmp");
  controls.driveKeys = {"/C/", "/D/"};
  RunScan(state, controls, fs);
  EXPECT_THAT(controls.events,
              ElementsAre("show /C/", "unreadable /C/", "show /D/", "row 1 /D/d.tmp", "idle"));
  EXPECT_EQ(state.running.load(), -1);
}

TEST_F(WalkerTest, OtherFileSystemsAreNotEntered) {
  auto& mount = c.AddFolder("mnt");
  mount.device = 2;
  mount.AddFile("far.tmp");
  RunScan(state, controls, fs);
  EXPECT_THAT(controls.scannedFolders, ElementsAre("/C/"));
}

TEST_F(WalkerTest, UntickedDrivesAreSkippedAndNoDrivesStillRestoresAndAudits) {
  fs.AddRoot("/D/").AddFile("d.tmp");
  controls.driveKeys = {"/C/", "/D/"};
  controls.driveTicks = {false, true};
  controls.check4 = true;
  int audits = 0;
  RunScan(state, controls, fs, [&](ScanSink&) { ++audits; });
  EXPECT_THAT(controls.scannedFolders, ElementsAre("/D/"));
  EXPECT_EQ(audits, 1);

  RecordingScan none;
  none.check4 = true;
  RunScan(state, none, fs, [&](ScanSink&) { ++audits; });
  EXPECT_THAT(none.events, ElementsAre("idle"));
  EXPECT_EQ(audits, 2);
}

TEST_F(WalkerTest, RootsAreWalkedInRequestOrderAndTheAuditAfterTheWalkHasEnded) {
  c.AddFile("c.tmp");
  fs.AddRoot("/L/").AddFile("l.tmp");
  ScanRequest request;
  request.roots = {{RootKind::kAudit, {}},
                   {RootKind::kLocation, NativeString("/L/")},
                   {RootKind::kDisk, NativeString("/C/")}};
  scan::RunScan(state, request, controls, controls, fs,
                [&](ScanSink& sink) { sink.FolderUnreadable(NativeString("audit"), {}); });
  EXPECT_THAT(controls.events, ElementsAre("show /L/", "row 1 /L/l.tmp", "show /C/",
                                           "row 1 /C/c.tmp", "idle", "unreadable audit"));
}

TEST_F(WalkerTest, RulesAreReadOncePerExaminedEntry) {
  class CountingRules final : public RuleSource {
   public:
    RuleSwitches Current() override {
      ++reads;
      return RuleSwitches().set(1);
    }
    int reads = 0;
  } rules;
  c.AddFile("a.tmp");
  c.AddFile("b.txt");
  c.AddFolder("plain").AddFile("c.tmp");  // a folder with no attribute but the folder bit
  scan::RunScan(state, controls.Request(), rules, controls, fs);
  EXPECT_EQ(rules.reads, 3);
  EXPECT_THAT(controls.RowTexts(), ElementsAre("1|a.tmp|/C/a.tmp|tmp临时文件|1",
                                               "1|c.tmp|/C/plain/c.tmp|tmp临时文件|1"));
}

TEST_F(WalkerTest, AuditRunsAfterAStoppedScan) {
  c.AddFile("a.tmp");
  controls.check4 = true;
  controls.onTick = [&](int) { Stop(); };
  bool audited = false;
  RunScan(state, controls, fs, [&](ScanSink&) { audited = true; });
  EXPECT_TRUE(audited);
}

TEST_F(WalkerTest, DeepTreesNeedNoRecursionAndReopenClosedAncestors) {
  // Deeper than the window of open descriptors, with a sibling at every level to come back to.
  MemoryNode* node = &c;
  for (int depth = 0; depth < 300; ++depth) {
    node->AddFolder("s").AddFile("s.tmp");
    node = &node->AddFolder("d");
  }
  node->AddFile("bottom.tmp");
  // Put the siblings after the chain so they are visited on the way back.
  std::function<void(MemoryNode&)> reorder = [&](MemoryNode& n) {
    if (n.children.size() == 2) {
      std::swap(n.children[0], n.children[1]);
      reorder(*n.children[0]);
    }
  };
  reorder(c);
  RunScan(state, controls, fs);
  EXPECT_EQ(controls.rows.size(), 301u);
  EXPECT_EQ(controls.scannedFolders.size(), 601u);
  EXPECT_EQ(NativeToUtf8(controls.rows.back().fileName), "s.tmp");
}

// Heap in use at the deepest folder of a chain: the walk keeps one name per level, not the path of
// each level (3,000 levels of 40-byte names would otherwise hold 180 MB of paths).
class HeapWatchingControls : public RecordingScan {
 public:
  void FolderReached(NativeStringView) override {
    peak = std::max(peak, mallinfo2().uordblks);
    ++folders;
  }
  std::size_t peak = 0;
  std::size_t folders = 0;
};

TEST(WalkerDepthTest, ADeepChainCostsMemoryLinearInItsDepth) {
  constexpr int kDepth = 3000;
  MemoryFileSystem fs;
  MemoryNode* node = &fs.AddRoot("/C/");
  for (int i = 0; i < kDepth; ++i) node = &node->AddFolder(std::string(40, 'd'));
  node->AddFile("leaf.tmp");
  HeapWatchingControls controls;
  controls.driveKeys = {"/C/"};
  controls.patterns[0] = true;
  ScanState state;
  const std::size_t before = mallinfo2().uordblks;
  RunScan(state, controls, fs);
  ASSERT_EQ(controls.rows.size(), 1u);
  EXPECT_EQ(controls.folders, kDepth + 1u);
  EXPECT_LT(controls.peak - before, 16u << 20);
}

}  // namespace
}  // namespace kelvo::scan
