// The scan over real Windows trees: attributes set with SetFileAttributesW decide which folders are
// examined, Chinese names come out whole, links are never entered, and paths may exceed MAX_PATH.
#include <windows.h>

#include <algorithm>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/file_system.h"
#include "scan/driver.h"
#include "support/recording_scan.h"
#include "support/temp_tree.h"

namespace kelvo::scan {
namespace {

using ::testing::Contains;
using ::testing::Not;
using testing::RecordingScan;
using testing::TempTree;

class Win32TreeTest : public ::testing::Test {
 protected:
  Win32TreeTest() {
    controls.driveKeys = {tree.RootUtf8()};
    controls.patterns[0] = true;  // *.tmp
    controls.check2 = true;       // everything inside folders named temp
  }
  void Scan() { RunScan(state, controls, platform::NativeFileSystem()); }
  std::vector<std::string> SortedRows() {
    auto rows = controls.RowTexts();
    std::sort(rows.begin(), rows.end());
    return rows;
  }
  // rule|name|path|label|size for a path below the root ("/" between components).
  std::string Row(int rule, const std::string& relative, const std::string& label,
                  const std::string& size) {
    const std::string path = tree.PathUtf8(relative);
    return std::to_string(rule) + "|" + path.substr(path.rfind('\\') + 1) + "|" + path + "|" +
           label + "|" + size;
  }

  TempTree tree;
  RecordingScan controls;
  ScanState state;
};

// Markers and rows come from the folder's final path, not from the text typed.
TEST_F(Win32TreeTest, TheRootIsTheFolderItNames) {
  tree.File("docs/thesis.tmp");
  tree.Dir("Temp");
  controls.driveKeys = {tree.PathUtf8("Temp") + "\\..\\docs"};
  Scan();
  EXPECT_THAT(controls.RowTexts(),
              ::testing::ElementsAre(Row(1, "docs/thesis.tmp", "tmp临时文件", "1")));
}

TEST_F(Win32TreeTest, FoldersWithAttributesAreExaminedPlainOnesOnlyEntered) {
  tree.File("Temp/plain/p.dat");
  tree.File("Temp/hid/h.dat");
  tree.SetAttributes("Temp/hid", FILE_ATTRIBUTE_HIDDEN);
  tree.Dir("Temp/sys");
  tree.SetAttributes("Temp/sys", FILE_ATTRIBUTE_SYSTEM);
  tree.Dir("Temp/ro");
  tree.SetAttributes("Temp/ro", FILE_ATTRIBUTE_READONLY);
  tree.File("Temp/中文文件夹/临时.dat");
  tree.File("Temp/a.txt", "12");
  tree.File("Temp/hidden.tmp");
  tree.SetAttributes("Temp/hidden.tmp", FILE_ATTRIBUTE_HIDDEN);
  tree.File("中文目录/报告.TMP", "abc");
  tree.File(".git/x.tmp");
  Scan();

  std::vector<std::string> expected = {
      Row(19, "Temp/plain/p.dat", "Temp临时文件", "1"),
      Row(19, "Temp/hid", "Temp临时文件", ""),
      Row(19, "Temp/hid/h.dat", "Temp临时文件", "1"),
      Row(19, "Temp/中文文件夹/临时.dat", "Temp临时文件", "1"),
      Row(19, "Temp/a.txt", "Temp临时文件", "2"),
      Row(1, "Temp/hidden.tmp", "tmp临时文件", "1"),
      Row(19, "Temp/hidden.tmp", "Temp临时文件", "1"),
      Row(1, "中文目录/报告.TMP", "TMP临时文件", "3"),
  };
  // A file system that does not keep an attribute (Wine keeps no read-only bit on folders) gives a
  // plain folder, which is entered but not examined.
  ASSERT_TRUE(tree.Attributes("Temp/hid") & FILE_ATTRIBUTE_HIDDEN);
  for (const char* folder : {"Temp/sys", "Temp/ro"})
    if (tree.Attributes(folder) != FILE_ATTRIBUTE_DIRECTORY)
      expected.push_back(Row(19, folder, "Temp临时文件", ""));
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(SortedRows(), expected);

  std::vector<std::string> folders = controls.scannedFolders;
  std::sort(folders.begin(), folders.end());
  std::vector<std::string> expectedFolders;
  for (const char* f : {"", "Temp\\", "Temp\\plain\\", "Temp\\hid\\", "Temp\\sys\\", "Temp\\ro\\",
                        "Temp\\中文文件夹\\", "中文目录\\"})
    expectedFolders.push_back(tree.RootUtf8() + f);
  std::sort(expectedFolders.begin(), expectedFolders.end());
  EXPECT_EQ(folders, expectedFolders);  // .git is not entered
}

TEST_F(Win32TreeTest, LinksAreExaminedButNeverEntered) {
  tree.File("target/inside.tmp");
  if (!tree.DirectoryLink("target", "Temp/link")) GTEST_SKIP() << "no directory link can be made";
  Scan();
  auto rows = SortedRows();
  EXPECT_THAT(rows, Contains(Row(1, "target/inside.tmp", "tmp临时文件", "1")));
  EXPECT_THAT(rows, Not(Contains(::testing::HasSubstr("link\\inside.tmp"))));
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_THAT(rows[0],
              ::testing::StartsWith("19|link|" + tree.PathUtf8("Temp/link") + "|Temp临时文件|"));
  EXPECT_THAT(controls.scannedFolders, Not(Contains(tree.PathUtf8("Temp/link/"))));
  for (const auto& row : controls.rows)
    if (row.rule == kTempFolderRule) {
      ASSERT_TRUE(row.identity);
      EXPECT_EQ(row.identity->type, platform::EntryType::kSymlink);
    }
}

TEST_F(Win32TreeTest, PathsLongerThanMaxPathAreReportedWhole) {
  std::string relative;
  for (int i = 0; i < 8; ++i) relative += std::string(50, static_cast<char>('k' + i)) + "/";
  tree.File(relative + "deep.tmp", "1234");
  Scan();
  ASSERT_EQ(controls.rows.size(), 1u);
  const std::string path = NativeToUtf8(controls.rows[0].fullPath);
  EXPECT_EQ(path, tree.PathUtf8(relative + "deep.tmp"));
  EXPECT_GT(path.size(), static_cast<std::size_t>(MAX_PATH));
  EXPECT_EQ(controls.rows[0].size, 4u);
}

TEST_F(Win32TreeTest, ZeroByteFilesAndEmptyFoldersFollowTheSameRules) {
  controls.check2 = false;
  controls.check3 = true;
  tree.File("empty.dat", "");
  tree.File("full.dat", "1");
  tree.Dir("nothing");
  Scan();
  EXPECT_EQ(SortedRows(), (std::vector<std::string>{Row(20, "empty.dat", "零字节文件", "0"),
                                                    Row(20, "nothing", "空文件夹", "")}));
}

}  // namespace
}  // namespace kelvo::scan
