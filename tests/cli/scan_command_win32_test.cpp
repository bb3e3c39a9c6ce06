// kelvo-cli.exe as a Windows program: UTF-16 arguments, UTF-8 rows without carriage returns,
// drives.
#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "row_writer.h"
#include "support/run_process.h"
#include "support/temp_tree.h"

namespace kelvo::cli {
namespace {

using ::testing::HasSubstr;
using testing::RunProcess;
using testing::TempTree;

TEST(ScanCommandWin32, ChineseRootArgumentAndRowsPassUnchanged) {
  TempTree tree;
  tree.File("根目录/报告.tmp", "abc");
  tree.File("根目录/b.bak", "");
  auto r = RunProcess(KELVO_CLI_PATH, {"scan", "--format=tsv", tree.PathUtf8("根目录")});
  EXPECT_EQ(r.exitStatus, 0) << r.err;
  EXPECT_THAT(r.out, HasSubstr("报告.tmp\t" + EscapeTsvField(tree.PathUtf8("根目录/报告.tmp")) +
                               "\ttmp临时文件\t3\n"));
  EXPECT_THAT(r.out, HasSubstr("b.bak\t" + EscapeTsvField(tree.PathUtf8("根目录/b.bak")) +
                               "\tbak临时文件\t0\n"));
  EXPECT_EQ(r.out.find('\r'), std::string::npos);  // no text-mode line ends
  EXPECT_THAT(r.err, HasSubstr("2 rows, 3 bytes, 1 folders, 0 unreadable folders"));
}

TEST(ScanCommandWin32, JsonRowsCarryWindowsPaths) {
  TempTree tree;
  tree.File("x.tmp", "12");
  auto r = RunProcess(KELVO_CLI_PATH, {"scan", "--format=json", tree.RootUtf8()});
  EXPECT_EQ(r.exitStatus, 0) << r.err;
  EXPECT_THAT(r.out, HasSubstr("\"path\":\"" + EscapeTsvField(tree.PathUtf8("x.tmp")) + "\""));
  EXPECT_THAT(r.out, HasSubstr("\"kind\":\"file\""));
  EXPECT_THAT(r.out, HasSubstr("\"size\":2"));
}

TEST(ScanCommandWin32, MissingRootGivesExitOneAndAMessage) {
  TempTree tree;
  auto r = RunProcess(KELVO_CLI_PATH, {"scan", "--format=tsv", tree.PathUtf8("nothing")});
  EXPECT_EQ(r.exitStatus, 1);
  EXPECT_THAT(r.err, HasSubstr("cannot read " + tree.PathUtf8("nothing\\")));
}

TEST(ScanCommandWin32, UsageErrorsExitWithTwo) {
  EXPECT_EQ(RunProcess(KELVO_CLI_PATH, {"scan", "--patterns=18", "C:\\"}).exitStatus, 2);
  EXPECT_EQ(RunProcess(KELVO_CLI_PATH, {"frobnicate"}).exitStatus, 2);
  EXPECT_EQ(RunProcess(KELVO_CLI_PATH, {"--help"}).exitStatus, 0);
}

TEST(ScanCommandWin32, VersionAndPlainPathListsWithDriveLetters) {
  EXPECT_EQ(RunProcess(KELVO_CLI_PATH, {"--version"}).out, "Kelvo 2.02\n");
  TempTree tree;
  tree.File("报告.tmp", "abc");
  tree.File("keep.tmp", "abc");
  auto r = RunProcess(KELVO_CLI_PATH, {"clean", "--from", "-", "--yes"},
                      tree.PathUtf8("报告.tmp") + "\r\n");
  EXPECT_EQ(r.exitStatus, 0) << r.err;
  EXPECT_THAT(r.out, HasSubstr("Deleted 1 file (3 bytes)"));
  EXPECT_EQ(tree.Attributes("报告.tmp"), INVALID_FILE_ATTRIBUTES);
  EXPECT_NE(tree.Attributes("keep.tmp"), INVALID_FILE_ATTRIBUTES);
}

TEST(ScanCommandWin32, DrivesListsRootKeysAndTexts) {
  auto r = RunProcess(KELVO_CLI_PATH, {"drives"});
  EXPECT_EQ(r.exitStatus, 0);
  // One line per drive: key, tab, text ("C:\" or "C:\(LABEL)").
  const auto at = r.out.find("C:\\\tC:\\");
  ASSERT_NE(at, std::string::npos) << r.out;
  EXPECT_TRUE(at == 0 || r.out[at - 1] == '\n');
  const char next = r.out[at + 7];
  EXPECT_TRUE(next == '\n' || next == '(') << r.out;
}

TEST(CleanCommandWin32, DeletesReadOnlyJunkAndKeepsTheRest) {
  TempTree tree;
  tree.File("junk/a.tmp", "abc");
  tree.SetAttributes("junk/a.tmp", FILE_ATTRIBUTE_READONLY);
  tree.File("junk/Temp/b.tmp", "12345");
  tree.File("junk/keep.txt", "keep");
  auto r = RunProcess(KELVO_CLI_PATH, {"clean", "--yes", tree.PathUtf8("junk")});
  EXPECT_EQ(r.exitStatus, 0) << r.err;
  EXPECT_THAT(r.out, HasSubstr("Deleted 2 files (8 bytes), 0 already gone, 0 failed."));
  EXPECT_EQ(tree.Attributes("junk/a.tmp"), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(tree.Attributes("junk/Temp/b.tmp"), INVALID_FILE_ATTRIBUTES);
  EXPECT_NE(tree.Attributes("junk/keep.txt"), INVALID_FILE_ATTRIBUTES);
}

TEST(CleanCommandWin32, AListPrintedByScanDeletesItsRows) {
  TempTree tree;
  tree.File("junk/中文.tmp", "abc");
  tree.File("junk/b.bak", "12");
  auto list = RunProcess(KELVO_CLI_PATH, {"scan", "--format=tsv", tree.PathUtf8("junk")});
  ASSERT_EQ(list.exitStatus, 0) << list.err;
  tree.File("list.tsv", list.out);
  auto r = RunProcess(KELVO_CLI_PATH, {"clean", "--yes", "--from", tree.PathUtf8("list.tsv")});
  EXPECT_EQ(r.exitStatus, 0) << r.err;
  EXPECT_THAT(r.out, HasSubstr("Deleted 2 files (5 bytes)"));
  EXPECT_EQ(tree.Attributes("junk/中文.tmp"), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(tree.Attributes("junk/b.bak"), INVALID_FILE_ATTRIBUTES);
}

TEST(AuditCommandWin32, ListsTheZeroEntriesOfTheSystemRegistry) {
  const wchar_t table[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";
  HKEY key = nullptr;
  if (::RegCreateKeyExW(HKEY_LOCAL_MACHINE, table, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
    GTEST_SKIP() << "the table cannot be written without administrator rights";
  TempTree tree;
  tree.File("orphan.dll", "1234");
  const NativeString name = tree.Path("orphan.dll");
  const DWORD zero = 0;
  ASSERT_EQ(::RegSetValueExW(key, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&zero),
                             sizeof zero),
            ERROR_SUCCESS);
  auto r = RunProcess(KELVO_CLI_PATH, {"audit-dlls", "--format=tsv"});
  ::RegDeleteValueW(key, name.c_str());
  ::RegCloseKey(key);
  EXPECT_EQ(r.exitStatus, 0) << r.err;
  EXPECT_THAT(r.out, HasSubstr("orphan.dll\t" + EscapeTsvField(tree.PathUtf8("orphan.dll")) +
                               "\t冗余的DLL或组件文件\t4\n"));
  EXPECT_EQ(r.out.find('\r'), std::string::npos);
}

}  // namespace
}  // namespace kelvo::cli
