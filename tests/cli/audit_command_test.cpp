// kelvo-cli audit-dlls and scan --dll-audit, run as a program on Wine prefixes made by the test.
#include <stdlib.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "support/run_process.h"
#include "support/temp_tree.h"

namespace kelvo::cli {
namespace {

using ::testing::HasSubstr;
using testing::RunProcess;
using testing::TempTree;

void MakePrefix(TempTree& tree) {
  tree.Dir("prefix/drive_c/windows/system32");
  tree.Dir("prefix/dosdevices");
  tree.Symlink("../drive_c", "prefix/dosdevices/c:");
  tree.File("prefix/drive_c/windows/system32/ORPHAN.DLL", "12345");
  tree.File("prefix/system.reg",
            "WINE REGISTRY Version 2\n"
            ";; All keys relative to REGISTRY\\\\Machine\n"
            "\n"
            "#arch=win64\n"
            "\n"
            "[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\SharedDLLs] 1796680555\n"
            "#time=1dd8695bbf5fea4\n"
            "\"C:\\\\windows\\\\system32\\\\orphan.dll\"=dword:00000000\n"
            "\"C:\\\\windows\\\\system32\\\\used.dll\"=dword:00000002\n"
            "\"C:\\\\Program Files\\\\\\x6f14\\x793a\\\\gone,\\\"x\\\".ocx\"=\"0\"\n");
}

TEST(AuditCommand, PrintsTheRowsOfAPrefixInEveryFormat) {
  TempTree tree;
  MakePrefix(tree);
  const std::string prefix = tree.Path("prefix");
  auto json = RunProcess(KELVO_CLI_PATH, {"audit-dlls", "--prefix", prefix, "--format=json"});
  EXPECT_EQ(json.exitStatus, 0) << json.err;
  EXPECT_EQ(json.out,
            "{\"name\":\"orphan.dll\",\"path\":\"C:\\\\windows\\\\system32\\\\orphan.dll\","
            "\"type\":\"冗余的DLL或组件文件\",\"size\":5,\"rule\":0,\"audit\":true,"
            "\"kind\":\"unknown\",\"rule_name\":\"dll-audit\"}\n"
            "{\"name\":\"gone,\\\"x\\\".ocx\",\"path\":\"C:\\\\Program Files\\\\演示\\\\gone,"
            "\\\"x\\\".ocx\",\"type\":\"冗余的DLL或组件文件\",\"size\":null,\"rule\":0,"
            "\"audit\":true,\"kind\":\"unknown\",\"rule_name\":\"dll-audit\"}\n");
  EXPECT_THAT(json.err, HasSubstr("3 entries, 2 with a count of 0, 0 unreadable"));

  auto tsv = RunProcess(KELVO_CLI_PATH, {"audit-dlls", "--format=tsv", "--prefix=" + prefix});
  EXPECT_EQ(tsv.exitStatus, 0) << tsv.err;
  EXPECT_EQ(
      tsv.out,
      "orphan.dll\tC:\\\\windows\\\\system32\\\\orphan.dll\t冗余的DLL或组件文件\t5\n"
      "gone,\"x\".ocx\tC:\\\\Program Files\\\\演示\\\\gone,\"x\".ocx\t冗余的DLL或组件文件\t\n");

  auto csv = RunProcess(KELVO_CLI_PATH, {"audit-dlls", "--format=csv", "--prefix=" + prefix});
  EXPECT_EQ(csv.exitStatus, 0) << csv.err;
  EXPECT_EQ(csv.out,
            "name,path,type,size\r\n"
            "orphan.dll,C:\\windows\\system32\\orphan.dll,冗余的DLL或组件文件,5\r\n"
            "\"gone,\"\"x\"\".ocx\",\"C:\\Program Files\\演示\\gone,\"\"x\"\".ocx\","
            "冗余的DLL或组件文件,\r\n");
}

TEST(AuditCommand, ReadsWineprefixWithoutOptionAndReportsWhatItCannotRead) {
  TempTree tree;
  MakePrefix(tree);
  ::setenv("WINEPREFIX", tree.Path("prefix").c_str(), 1);
  auto found = RunProcess(KELVO_CLI_PATH, {"audit-dlls", "--format=tsv"});
  EXPECT_EQ(found.exitStatus, 0) << found.err;
  EXPECT_THAT(found.out, HasSubstr("orphan.dll\t"));

  ::setenv("WINEPREFIX", tree.Path("empty").c_str(), 1);
  tree.Dir("empty");
  auto empty = RunProcess(KELVO_CLI_PATH, {"audit-dlls"});
  EXPECT_EQ(empty.exitStatus, 1);
  EXPECT_EQ(empty.out, "");
  EXPECT_THAT(empty.err, HasSubstr("cannot open the shared-DLL table"));
  EXPECT_THAT(empty.err, HasSubstr(tree.Path("empty")));
  ::unsetenv("WINEPREFIX");

  auto missing = RunProcess(KELVO_CLI_PATH, {"audit-dlls", "--prefix", tree.Path("absent")});
  EXPECT_EQ(missing.exitStatus, 2);
  EXPECT_THAT(missing.err, HasSubstr("not a folder"));
  EXPECT_EQ(RunProcess(KELVO_CLI_PATH, {"audit-dlls", "--format=xml"}).exitStatus, 2);
}

TEST(AuditCommand, ScanRunsTheAuditAfterTheWalkOnlyWhenAsked) {
  TempTree tree;
  MakePrefix(tree);
  tree.File("scanned/a.tmp", "12");
  ::setenv("WINEPREFIX", tree.Path("prefix").c_str(), 1);
  auto with =
      RunProcess(KELVO_CLI_PATH, {"scan", "--dll-audit", "--format=tsv", tree.Path("scanned")});
  auto without = RunProcess(KELVO_CLI_PATH, {"scan", "--format=tsv", tree.Path("scanned")});
  ::unsetenv("WINEPREFIX");
  EXPECT_EQ(with.exitStatus, 0) << with.err;
  EXPECT_EQ(with.out,
            "a.tmp\t" + tree.Path("scanned/a.tmp") + "\ttmp临时文件\t2\n" +
                "orphan.dll\tC:\\\\windows\\\\system32\\\\orphan.dll\t冗余的DLL或组件文件\t5\n"
                "gone,\"x\".ocx\tC:\\\\Program Files\\\\演示\\\\gone,\"x\".ocx\t"
                "冗余的DLL或组件文件\t\n");
  EXPECT_THAT(with.err, HasSubstr("3 rows, 7 bytes"));
  EXPECT_EQ(without.exitStatus, 0) << without.err;
  EXPECT_EQ(without.out, "a.tmp\t" + tree.Path("scanned/a.tmp") + "\ttmp临时文件\t2\n");
  EXPECT_THAT(without.err, ::testing::Not(HasSubstr("shared-DLL")));
}

}  // namespace
}  // namespace kelvo::cli
