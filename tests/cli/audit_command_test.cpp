// kelvo-cli audit-dlls and scan --dll-audit, run as a program on Wine prefixes made by the test.
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "support/run_process.h"
#include "support/temp_tree.h"

namespace kelvo::cli {
namespace {

using ::testing::HasSubstr;
using testing::RunProcess;
using testing::TempTree;

constexpr char kSystemReg[] =
    "WINE REGISTRY Version 2\n"
    ";; All keys relative to REGISTRY\\\\Machine\n"
    "\n"
    "#arch=win64\n"
    "\n"
    "[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\SharedDLLs] 1796680555\n"
    "#time=1dd8695bbf5fea4\n"
    "\"C:\\\\windows\\\\system32\\\\orphan.dll\"=dword:00000000\n"
    "\"C:\\\\windows\\\\system32\\\\used.dll\"=dword:00000002\n"
    "\"C:\\\\Program Files\\\\\\x6f14\\x793a\\\\gone,\\\"x\\\".ocx\"=\"0\"\n";

void MakePrefix(TempTree& tree, const std::string& moreValues = "") {
  tree.Dir("prefix/drive_c/windows/system32");
  tree.Dir("prefix/dosdevices");
  tree.Symlink("../drive_c", "prefix/dosdevices/c:");
  tree.File("prefix/drive_c/windows/system32/ORPHAN.DLL", "12345");
  tree.File("prefix/system.reg", kSystemReg + moreValues);
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
            "\"kind\":\"unknown\",\"rule_name\":\"dll-audit\",\"needs_admin\":false}\n"
            "{\"name\":\"gone,\\\"x\\\".ocx\",\"path\":\"C:\\\\Program Files\\\\演示\\\\gone,"
            "\\\"x\\\".ocx\",\"type\":\"冗余的DLL或组件文件\",\"size\":null,\"rule\":0,"
            "\"audit\":true,\"kind\":\"unknown\",\"rule_name\":\"dll-audit\",\"needs_admin\":false}\n");
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

// A value cut short or malformed may have been a count of 0: the table is reported incomplete.
TEST(AuditCommand, UnreadableValuesMakeTheTableIncomplete) {
  TempTree tree;
  MakePrefix(tree,
             "\"C:\\\\windows\\\\cut.dll\"=hex(4):00\n"
             "\"C:\\\\windows\\\\bad.dll\"=dword:0000\n"
             "\"C:\\\\windows\\\\last.dll\"=dwo");
  auto r =
      RunProcess(KELVO_CLI_PATH, {"audit-dlls", "--format=tsv", "--prefix", tree.Path("prefix")});
  EXPECT_EQ(r.exitStatus, 1);
  EXPECT_THAT(r.out, ::testing::Not(HasSubstr(".dll\t0")));
  EXPECT_EQ(r.err,
            "shared-DLL table: 6 entries, 2 with a count of 0, 3 unreadable\n"
            "kelvo-cli: the shared-DLL table is incomplete: 3 entries could not be read\n");
}

// A FIFO must not hang the audit, a huge sparse file must not exhaust memory, and the scan's rows
// are printed whatever the audit meets.
TEST(AuditCommand, ARegistryFileThatIsNoPlainFileOrTooLargeIsRefusedUnread) {
  TempTree tree;
  MakePrefix(tree);
  tree.File("scanned/a.tmp", "12");
  const std::string reg = tree.Path("prefix/system.reg");
  ASSERT_EQ(::unlink(reg.c_str()), 0);
  ASSERT_EQ(::mkfifo(reg.c_str(), 0644), 0);
  auto fifo = RunProcess(KELVO_CLI_PATH, {"audit-dlls", "--prefix", tree.Path("prefix")});
  EXPECT_EQ(fifo.exitStatus, 1);
  EXPECT_THAT(fifo.err, HasSubstr(": the registry file is not a regular file\n"));

  ASSERT_EQ(::unlink(reg.c_str()), 0);
  tree.File("prefix/system.reg", "");
  ASSERT_EQ(::truncate(reg.c_str(), 1ll << 40), 0);  // sparse: claims 1 TB
  ::setenv("WINEPREFIX", tree.Path("prefix").c_str(), 1);
  auto scan =
      RunProcess(KELVO_CLI_PATH, {"scan", "--dll-audit", "--format=tsv", tree.Path("scanned")});
  ::unsetenv("WINEPREFIX");
  EXPECT_EQ(scan.exitStatus, 1);
  EXPECT_EQ(scan.out, "a.tmp\t" + tree.Path("scanned/a.tmp") + "\ttmp临时文件\t2\n");
  EXPECT_THAT(scan.err, HasSubstr(": the registry file is larger than 256 MB\n"));
}

}  // namespace
}  // namespace kelvo::cli
