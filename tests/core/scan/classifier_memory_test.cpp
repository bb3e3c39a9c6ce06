// The rules of the classifier, driven through the walk of an in-memory tree.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "scan/driver.h"
#include "support/memory_file_system.h"
#include "support/recording_scan.h"

namespace kelvo::scan {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using testing::MemoryFileSystem;
using testing::MemoryNode;
using testing::RecordingScan;

class ClassifierTest : public ::testing::Test {
 protected:
  ClassifierTest() : root(fs.AddRoot("/C/")) { controls.driveKeys = {"/C/"}; }

  std::vector<std::string> Scan() {
    RunScan(state, controls, fs);
    return controls.RowTexts();
  }

  MemoryFileSystem fs;
  MemoryNode& root;
  RecordingScan controls;
  ScanState state;
};

TEST_F(ClassifierTest, SuffixRuleGivesOneRowWithExtensionLabelAndSize) {
  auto& a = root.AddFolder("A");
  a.AddFile("X.TMP", 1234);
  a.AddFile("report.tmp.txt", 5);
  controls.patterns[0] = true;
  EXPECT_THAT(Scan(), ElementsAre("1|X.TMP|/C/A/X.TMP|TMP临时文件|1234"));
}

TEST_F(ClassifierTest, ZeroByteRowFollowsTheNameRow) {
  root.AddFolder("A").AddFile("B.tmp", 0);
  controls.patterns[0] = true;
  controls.check3 = true;
  EXPECT_THAT(Scan(),
              ElementsAre("1|B.tmp|/C/A/B.tmp|tmp临时文件|0", "20|B.tmp|/C/A/B.tmp|零字节文件|0"));
}

TEST_F(ClassifierTest, RulesRunInTableOrderForOneEntry) {
  root.AddFolder("WINDOWS").AddFolder("TEMP").AddFile("~DF12.TMP", 7);
  controls.patterns[0] = controls.patterns[17] = true;
  controls.check2 = true;
  EXPECT_THAT(Scan(), ElementsAre("1|~DF12.TMP|/C/WINDOWS/TEMP/~DF12.TMP|TMP临时文件|7",
                                  "18|~DF12.TMP|/C/WINDOWS/TEMP/~DF12.TMP|TMP临时文件|7",
                                  "19|~DF12.TMP|/C/WINDOWS/TEMP/~DF12.TMP|Temp临时文件|7"));
}

TEST_F(ClassifierTest, EveryMarkerPositionGivesARow) {
  root.AddFolder("TEMP").AddFolder("X").AddFolder("TEMP").AddFile("Y.DAT", 3);
  controls.check2 = true;
  EXPECT_THAT(Scan(), ElementsAre("19|Y.DAT|/C/TEMP/X/TEMP/Y.DAT|Temp临时文件|3",
                                  "19|Y.DAT|/C/TEMP/X/TEMP/Y.DAT|Temp临时文件|3"));
}

TEST_F(ClassifierTest, LabelIsTheWholePathWhenThereIsNoDot) {
  root.AddFolder("X").AddFile("NOTE$", 2);
  controls.patterns[14] = true;
  EXPECT_THAT(Scan(), ElementsAre("15|NOTE$|/C/X/NOTE$|/C/X/NOTE$临时文件|2"));
}

TEST_F(ClassifierTest, LabelTakesTheDotOfAFolderWhenTheNameHasNone) {
  root.AddFolder("A.D").AddFile("~NAME", 2);
  controls.patterns[17] = true;
  EXPECT_THAT(Scan(), ElementsAre("18|~NAME|/C/A.D/~NAME|D/~NAME临时文件|2"));
}

TEST_F(ClassifierTest, OneFileMatchingTwoRulesGivesTwoRows) {
  root.AddFile("ABC.$$$", 1);
  controls.patterns[11] = controls.patterns[14] = true;
  EXPECT_EQ(Scan().size(), 2u);
}

TEST_F(ClassifierTest, PlainFolderIsNotExaminedButAHiddenOneIs) {
  auto& temp = root.AddFolder("Temp");
  temp.AddFolder("plain");
  temp.AddFolder("hidden", platform::attr::kHidden);
  controls.check2 = true;
  EXPECT_THAT(Scan(), ElementsAre("19|hidden|/C/Temp/hidden|Temp临时文件|"));
}

TEST_F(ClassifierTest, SpecialFolderRulesNeedTheirTick) {
  auto& user = root.AddFolder("u");
  user.AddFolder("History").AddFile("h.dat", 1);
  user.AddFolder("Recent").AddFile("r.lnk", 1);
  user.AddFolder("Cookies").AddFile("c.txt", 1);
  user.AddFolder("Temporary Internet Files").AddFile("i.gif", 1);
  EXPECT_THAT(Scan(), IsEmpty());
  controls = RecordingScan();
  controls.driveKeys = {"/C/"};
  controls.specialTicks = {true, true, true, true};
  EXPECT_THAT(Scan(), ElementsAre("22|h.dat|/C/u/History/h.dat|历史文档文件|1",
                                  "21|r.lnk|/C/u/Recent/r.lnk|最近的文档|1",
                                  "23|c.txt|/C/u/Cookies/c.txt|IE Cookies文件|1",
                                  "24|i.gif|/C/u/Temporary Internet Files/i.gif|IE临时缓存文件|1"));
}

TEST_F(ClassifierTest, SpecialTicksAloneWalkNothing) {
  root.AddFolder("History").AddFile("h.dat", 1);
  controls.driveTicks = {false};
  controls.specialTicks = {true, true, true, true};
  EXPECT_THAT(Scan(), IsEmpty());
  EXPECT_THAT(controls.scannedFolders, IsEmpty());
}

TEST_F(ClassifierTest, EmptyFoldersGiveARowOnlyWithTheZeroByteRule) {
  root.AddFolder("empty");
  root.AddFolder("full").AddFile("f", 1);
  EXPECT_THAT(Scan(), IsEmpty());
  controls = RecordingScan();
  controls.driveKeys = {"/C/"};
  controls.check3 = true;
  EXPECT_THAT(Scan(), ElementsAre("20|empty|/C/empty|空文件夹|"));
  EXPECT_TRUE(controls.rows[0].emptyFolder);
}

TEST_F(ClassifierTest, AnEmptyRootGivesNoRow) {
  controls.check3 = true;
  EXPECT_THAT(Scan(), IsEmpty());
}

TEST_F(ClassifierTest, ZeroByteRuleIgnoresLinksAndOtherEntries) {
  root.AddSymlink("link").size = 0;
  root.AddFile("zero", 0);
  root.AddFile("one", 1);
  controls.check3 = true;
  EXPECT_THAT(Scan(), ElementsAre("20|zero|/C/zero|零字节文件|0"));
}

TEST_F(ClassifierTest, EveryEntryIsTickedEvenWithNothingTicked) {
  root.AddFile("a.tmp");
  root.AddFolder("b").AddFile("c.tmp");
  EXPECT_THAT(Scan(), IsEmpty());
  EXPECT_EQ(controls.ticks, 3);
}

TEST_F(ClassifierTest, OptionChangedDuringTheScanCountsFromTheNextEntry) {
  root.AddFile("1.tmp");
  root.AddFile("2.tmp");
  root.AddFile("3.tmp");
  controls.onTick = [&](int tick) {
    if (tick == 2) controls.patterns[0] = true;
  };
  EXPECT_THAT(Scan(),
              ElementsAre("1|2.tmp|/C/2.tmp|tmp临时文件|1", "1|3.tmp|/C/3.tmp|tmp临时文件|1"));
}

TEST_F(ClassifierTest, EntryWhoseAttributesCannotBeReadIsExamined) {
  auto& odd = root.AddFile("odd.tmp", 9);
  odd.type = platform::EntryType::kUnknown;
  odd.failStat = true;
  controls.patterns[0] = true;
  EXPECT_THAT(Scan(), ElementsAre("1|odd.tmp|/C/odd.tmp|tmp临时文件|"));
}

TEST_F(ClassifierTest, JunkCountFollowsTheRows) {
  root.AddFile("a.tmp");
  root.AddFile("b.tmp");
  root.AddFile("c.txt");
  controls.patterns[0] = true;
  Scan();
  EXPECT_EQ(controls.junkCount, 2u);
}

}  // namespace
}  // namespace kelvo::scan
