// The keep-list: what its patterns match, and that a scan never opens a kept folder nor shows a
// kept entry, reading ahead or not.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "scan/driver.h"
#include "scan/keep_list.h"
#include "support/memory_file_system.h"
#include "support/recording_scan.h"

namespace kelvo::scan {
namespace {

using ::testing::ElementsAre;
using testing::MemoryFileSystem;
using testing::RecordingScan;

bool Keeps(const char* pattern, const char* path) {
  KeepList keep;
  keep.AddPattern(pattern);
  return keep.Keeps(path);
}

TEST(KeepListPatterns, StarsQuestionMarksAndClassesStayWithinANameButGlobstarsSpanFolders) {
  EXPECT_TRUE(Keeps("/home/*/cache", "/home/ann/cache"));
  EXPECT_FALSE(Keeps("/home/*/cache", "/home/ann/x/cache"));
  EXPECT_TRUE(Keeps("/home/**/cache", "/home/ann/x/y/cache"));
  EXPECT_TRUE(Keeps("/home/**/cache", "/home/cache"));  // none at all
  EXPECT_TRUE(Keeps("/srv/**", "/srv/a/b"));
  EXPECT_FALSE(Keeps("/srv/**/z", "/srv/a/b"));
  EXPECT_TRUE(Keeps("/d/file?.[0-9][!a-c]", "/d/file1.7x"));
  EXPECT_FALSE(Keeps("/d/file?.[0-9][!a-c]", "/d/file1.7b"));
  EXPECT_FALSE(Keeps("/d/file?.[0-9]", "/d/file12.7"));
  EXPECT_FALSE(Keeps("/d/?", "/d/a/b"));      // "?" is no separator
  EXPECT_TRUE(Keeps("/d/a**b", "/d/a-x-b"));  // "**" inside a name is a "*"
  EXPECT_FALSE(Keeps("/d/a**b", "/d/a/b"));
  EXPECT_TRUE(Keeps("/d/\\*", "/d/*"));  // escaped
  EXPECT_FALSE(Keeps("/d/\\*", "/d/x"));
  EXPECT_FALSE(Keeps("/D/X", "/d/x"));  // paths are case-sensitive here
  EXPECT_TRUE(Keeps("[[]a]", "/x/[a]"));
}

TEST(KeepListPatterns, PatternsWithoutALeadingSeparatorMatchAtAnyDepth) {
  EXPECT_TRUE(Keeps("*.iso", "/m/disc.iso"));
  EXPECT_TRUE(Keeps("*.iso", "/m/a/b/disc.iso"));
  EXPECT_FALSE(Keeps("*.iso", "/m/disc.iso.tmp"));
  EXPECT_TRUE(Keeps("build/*.o", "/src/x/build/main.o"));
  EXPECT_FALSE(Keeps("build/*.o", "/src/x/build/y/main.o"));
}

TEST(KeepListFolders, AFolderKeepsItselfAndWhatIsBelowAndCoversLooksAtEveryAncestor) {
  KeepList keep;
  keep.AddFolder("/home/ann/photos/");
  EXPECT_TRUE(keep.Keeps("/home/ann/photos"));
  EXPECT_TRUE(keep.Keeps("/home/ann/photos/2024/a.tmp"));
  EXPECT_FALSE(keep.Keeps("/home/ann/photos2/a.tmp"));
  KeepList byPattern;
  byPattern.AddPattern("**/node_modules");
  EXPECT_FALSE(byPattern.Keeps("/p/node_modules/x/temp/a.log"));
  EXPECT_TRUE(byPattern.Covers("/p/node_modules/x/temp/a.log"));
  EXPECT_FALSE(byPattern.Covers("/p/modules/x/temp/a.log"));
}

class KeepListScanTest : public ::testing::TestWithParam<unsigned> {
 protected:
  KeepListScanTest() : c(fs.AddRoot("/C/")) {
    controls.driveKeys = {"/C/"};
    controls.patterns[0] = true;  // *.tmp
    state.folderReaders = GetParam();
  }
  MemoryFileSystem fs;
  testing::MemoryNode& c;
  RecordingScan controls;
  ScanState state;
};

TEST_P(KeepListScanTest, AKeptFolderIsNeverOpenedAndAKeptFileIsNeverARow) {
  auto& proj = c.AddFolder("proj");
  auto& modules = proj.AddFolder("node_modules");
  modules.AddFolder("deep").AddFile("m.tmp");
  auto& photos = c.AddFolder("photos");
  photos.AddFile("p.tmp");
  proj.AddFile("a.tmp");
  proj.AddFile("b.tmp");
  KeepList keep;
  keep.AddFolder("/C/photos");
  keep.AddPattern("**/node_modules");
  keep.AddPattern("/C/proj/[b]*.tmp");
  state.keepList = &keep;
  testing::RunScan(state, controls, fs);
  EXPECT_EQ(modules.opens, 0);
  EXPECT_EQ(photos.opens, 0);
  EXPECT_THAT(controls.scannedFolders, ElementsAre("/C/", "/C/proj/"));
  EXPECT_THAT(controls.RowTexts(), ElementsAre("1|a.tmp|/C/proj/a.tmp|tmp临时文件|1"));
  EXPECT_EQ(keep.HeldBack(), 3u);  // two folders, one file
}

TEST_P(KeepListScanTest, ARootOnTheListIsNotWalked) {
  c.AddFile("x.tmp");
  KeepList keep;
  keep.AddFolder("/C");
  state.keepList = &keep;
  testing::RunScan(state, controls, fs);
  EXPECT_TRUE(controls.RowTexts().empty());
  EXPECT_EQ(fs.listCalls, 0);
}

INSTANTIATE_TEST_SUITE_P(Readers, KeepListScanTest, ::testing::Values(1u, 4u));

}  // namespace
}  // namespace kelvo::scan
