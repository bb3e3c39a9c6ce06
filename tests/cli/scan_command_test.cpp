// kelvo-cli scan, run as a program on trees made by the test; outputs compared whole.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "support/run_process.h"
#include "support/temp_tree.h"

namespace kelvo::cli {
namespace {

using testing::RunProcess;
using testing::TempTree;

TEST(ScanCommand, TsvRowsInDiscoveryOrder) {
  TempTree tree;
  tree.Dir("a");
  tree.File("a/x.TMP", "12");
  tree.File("a/Temp/in\tside.dat", "");
  tree.File("a/Temp/back\\slash", "123");
  auto r = RunProcess(KELVO_CLI_PATH, {"scan", "--format=tsv", "--zero", tree.root() + "a"});
  EXPECT_EQ(r.exitStatus, 0) << r.err;
  const std::string a = tree.root() + "a/";
  // Listing order within a folder is the file system's; sort the lines of one folder.
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < r.out.size()) {
    auto end = r.out.find('\n', start);
    lines.push_back(r.out.substr(start, end - start));
    start = end + 1;
  }
  ASSERT_EQ(lines.size(), 4u) << r.out;
  EXPECT_EQ(lines[0], "x.TMP\t" + a + "x.TMP\tTMP临时文件\t2");
  std::vector<std::string> temp(lines.begin() + 1, lines.end());
  std::sort(temp.begin(), temp.end());
  EXPECT_THAT(temp,
              ::testing::ElementsAre("back\\\\slash\t" + a + "Temp/back\\\\slash\tTemp临时文件\t3",
                                     "in\\tside.dat\t" + a + "Temp/in\\tside.dat\tTemp临时文件\t0",
                                     "in\\tside.dat\t" + a + "Temp/in\\tside.dat\t零字节文件\t0"));
  EXPECT_THAT(r.err, ::testing::HasSubstr("4 rows, 5 bytes, 2 folders, 0 unreadable folders"));
}

// This machine's own package files: libx11-data owns the two .dir files of /usr/share/X11/locale.
TEST(ScanCommand, PackageFilesAreKeptUnlessIncluded) {
  if (::access("/var/lib/dpkg/info/libx11-data.list", F_OK) != 0) GTEST_SKIP() << "no libx11-data";
  const std::string folder = "/usr/share/X11/locale";
  auto kept = RunProcess(KELVO_CLI_PATH, {"scan", "--format=tsv", folder});
  EXPECT_THAT(kept.out, ::testing::Not(::testing::HasSubstr("compose.dir")));
  EXPECT_THAT(kept.err, ::testing::HasSubstr("hits kept as package files"));
  auto included =
      RunProcess(KELVO_CLI_PATH, {"scan", "--format=tsv", "--include-package-files", folder});
  EXPECT_THAT(included.out, ::testing::HasSubstr(folder + "/compose.dir\t"));
  EXPECT_THAT(included.err, ::testing::Not(::testing::HasSubstr("package files")));
}

TEST(ScanCommand, OptionsSelectTheRules) {
  TempTree tree;
  tree.File("a.ftg");
  tree.File("b.tmp");
  tree.File("u/History/h.dat");
  auto r = RunProcess(KELVO_CLI_PATH, {"scan", "--format=tsv", "--patterns=5", "--no-temp",
                                       "--special=history", tree.root()});
  EXPECT_EQ(r.exitStatus, 0) << r.err;
  EXPECT_THAT(r.out, ::testing::HasSubstr(tree.root() + "a.ftg\tftg临时文件"));
  EXPECT_THAT(r.out, ::testing::Not(::testing::HasSubstr("b.tmp")));
  EXPECT_THAT(r.out, ::testing::HasSubstr("历史文档文件"));
}

// One line per kind and per disk, then the total, each file once: z.tmp is a .tmp file and a
// zero-byte file, and its hard link y.tmp is the same file again.
TEST(ScanCommand, SummaryCountsEachFileOncePerKindPerDiskAndInAll) {
  TempTree tree;
  tree.File("b.tmp", "abc");
  tree.File("z.tmp", "");
  ASSERT_EQ(::link(tree.PathUtf8("z.tmp").c_str(), tree.PathUtf8("y.tmp").c_str()), 0);
  struct stat st;
  ASSERT_EQ(::lstat(tree.PathUtf8("b.tmp").c_str(), &st), 0);
  const std::string onDisk = std::to_string(static_cast<unsigned long long>(st.st_blocks) * 512);
  auto r = RunProcess(KELVO_CLI_PATH, {"scan", "--format=tsv", "--zero", "--summary", tree.root()});
  EXPECT_EQ(r.exitStatus, 0) << r.err;
  EXPECT_THAT(r.err, ::testing::HasSubstr("5 rows"));  // b, z and y by *.tmp; z and y zero-byte
  const auto summary = r.err.substr(r.err.find('\n') + 1);
  EXPECT_EQ(summary, "tmp\t2\t3\t" + onDisk + "\n" + "zero-byte\t1\t0\t0\n" + tree.root() +
                         "\t2\t3\t" + onDisk + "\n" + "total\t2\t3\t" + onDisk + "\n");
  auto plain = RunProcess(KELVO_CLI_PATH, {"scan", "--format=tsv", tree.root()});
  EXPECT_THAT(plain.err, ::testing::Not(::testing::HasSubstr("total\t")));
}

TEST(ScanCommand, BadUsageExitsWithTwo) {
  EXPECT_EQ(RunProcess(KELVO_CLI_PATH, {"scan", "--patterns=18", "/tmp"}).exitStatus, 2);
  EXPECT_EQ(RunProcess(KELVO_CLI_PATH, {"scan", "--format=xml", "/tmp"}).exitStatus, 2);
  EXPECT_EQ(RunProcess(KELVO_CLI_PATH, {"scan", "--special=desktop", "/tmp"}).exitStatus, 2);
  EXPECT_EQ(RunProcess(KELVO_CLI_PATH, {"frobnicate"}).exitStatus, 2);
  EXPECT_EQ(RunProcess(KELVO_CLI_PATH, {"--help"}).exitStatus, 0);
}

TEST(ScanCommand, UnreadableFolderGivesExitOneAndAMessage) {
  TempTree tree;
  tree.File("ok.tmp");
  auto missing = RunProcess(KELVO_CLI_PATH, {"scan", "--format=tsv", tree.root() + "nothing"});
  EXPECT_EQ(missing.exitStatus, 1);
  EXPECT_THAT(missing.err, ::testing::HasSubstr("cannot read " + tree.root() + "nothing/"));
  if (::geteuid() == 0) return;  // root can read everything
  tree.File("locked/x.tmp");
  tree.Chmod("locked", 0);
  auto r = RunProcess(KELVO_CLI_PATH, {"scan", "--format=tsv", tree.root()});
  tree.Chmod("locked", 0755);
  EXPECT_EQ(r.exitStatus, 1);
  EXPECT_THAT(r.out, ::testing::HasSubstr("ok.tmp"));
}

TEST(ScanCommand, JsonRowsCarryRootAndIdentity) {
  TempTree tree;
  tree.File("a.tmp", "xyz");
  auto r = RunProcess(KELVO_CLI_PATH, {"scan", "--format=json", tree.root()});
  EXPECT_EQ(r.exitStatus, 0);
  EXPECT_THAT(r.out, ::testing::HasSubstr("\"root\":\"" + tree.root() + "\""));
  EXPECT_THAT(r.out, ::testing::HasSubstr("\"kind\":\"file\""));
  EXPECT_THAT(r.out, ::testing::HasSubstr("\"ino\":"));
}

// With SIGPIPE ignored a write to a pipe nobody reads fails with EPIPE: the walk stops there
// instead of walking the whole tree for nobody.
TEST(ScanCommand, StopsWalkingWhenItsReaderIsGone) {
  TempTree tree;
  for (int folder = 0; folder < 40; ++folder)
    for (int file = 0; file < 100; ++file)
      tree.File("Temp/" + std::to_string(folder) + "/" + std::string(100, 'n') +
                std::to_string(file));
  auto r = RunProcess("/bin/sh",
                      {"-c", "trap '' PIPE; { \"$0\" scan \"$1\"; echo \"exit $?\" >&2; } | true",
                       KELVO_CLI_PATH, tree.Path("Temp")});
  unsigned long long rows = 0;
  ASSERT_EQ(std::sscanf(r.err.c_str(), "%llu rows", &rows), 1) << r.err;
  EXPECT_LT(rows, 3000u);
  EXPECT_THAT(r.err, ::testing::EndsWith("kelvo-cli: writing the output failed\nexit 1\n"));
}

}  // namespace
}  // namespace kelvo::cli
