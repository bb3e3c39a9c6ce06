// kelvo-cli's version, its usage errors, pattern names, NUL-ended paths and plain path lists, run
// as a program on trees made by the test.
#include <sys/stat.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "list_reader.h"
#include "scan_options.h"
#include "support/run_process.h"
#include "support/temp_tree.h"

namespace kelvo::cli {
namespace {

using ::testing::ElementsAre;
using testing::Exists;
using testing::RunProcess;
using testing::TempTree;

TEST(CommandLine, VersionComesFromTheProject) {
  for (const char* flag : {"--version", "-V"}) {
    auto r = RunProcess(KELVO_CLI_PATH, {flag});
    EXPECT_EQ(r.exitStatus, 0);
    EXPECT_EQ(r.out, "Kelvo 2.02\n");
  }
}

TEST(CommandLine, EveryBadOptionIsNamedFirst) {
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{"frob"},
       "kelvo-cli: frob: unknown subcommand (one of scan, clean, drives, locations, audit-dlls, "
       "keep)\n"},
      {{},
       "kelvo-cli: a subcommand is required (one of scan, clean, drives, locations, audit-dlls, "
       "keep); see "
       "--help\n"},
      {{"--frob"}, "kelvo-cli: --frob: unknown option\n"},
      {{"scan", "--frob=1", "/tmp"}, "kelvo-cli: --frob: unknown option for scan\n"},
      {{"drives", "extra"}, "kelvo-cli: extra: unexpected argument for drives\n"},
      {{"scan", "--format=xml"}, "kelvo-cli: --format: 'xml' is not one of text,tsv,csv,json\n"},
      {{"scan", "--threads=many"}, "kelvo-cli: --threads: 'many' is not a valid value\n"},
      {{"scan", "--patterns"}, "kelvo-cli: --patterns: needs a value\n"},
      {{"scan", "--patterns=tmp,zip", "/tmp"},
       "kelvo-cli: --patterns: 'zip' is not a pattern index 0-17 or name\n"},
      {{"scan", "-0", "--format=tsv"}, "kelvo-cli: --format: cannot be given with --print0\n"},
      {{"clean", "--from=a", "--from0=b"}, "kelvo-cli: --from: cannot be given with --from0\n"},
      {{"clean", "--from0=-", "--zero"}, "kelvo-cli: --zero: cannot be given with --from0\n"},
      {{"clean", "--from0="}, "kelvo-cli: --from0: an empty value names nothing\n"},
      {{"scan", "--locations=trash,logs"},
       "kelvo-cli: --locations: 'logs' is not one of thumbnails,trash,browser-cache,app-cache,"
       "crash-dumps,package-cache,old-logs,partial-downloads,snap-cache,dev-cache,old-temp,"
       "old-journal\n"},
      {{"clean", "--from=-", "--locations=all"},
       "kelvo-cli: --locations: cannot be given with --from\n"},
      {{"clean", "--from0=/nonexistent/list"},
       "kelvo-cli: --from0: cannot read /nonexistent/list: No such file or directory\n"},
  };
  for (const auto& [args, message] : cases) {
    auto r = RunProcess(KELVO_CLI_PATH, args);
    EXPECT_EQ(r.exitStatus, 2) << message;
    EXPECT_EQ(r.err, message);
    EXPECT_EQ(r.out, "");
  }
}

TEST(CommandLine, PatternsTakeNamesBesideIndexes) {
  std::array<bool, scan::kPatternCount> byName{}, byIndex{};
  ASSERT_FALSE(ParsePatternList("tmp,bak,chk,~*,??$,$$$", byName));
  ASSERT_FALSE(ParsePatternList("0,3,4,17,14,11", byIndex));
  EXPECT_EQ(byName, byIndex);
  EXPECT_TRUE(ParsePatternList("TMP", byName));  // names are exact, as listed
}

TEST(CommandLine, Print0WritesPathsEndedByNul) {
  TempTree tree;
  tree.File("new\nline.tmp");
  tree.File("keep.txt");
  auto r = RunProcess(KELVO_CLI_PATH, {"scan", "-0", "--patterns=tmp", tree.root()});
  EXPECT_EQ(r.exitStatus, 0) << r.err;
  EXPECT_EQ(r.out, tree.root() + "new\nline.tmp" + std::string(1, '\0'));
}

TEST(CommandLine, JsonRowsEndWithALanguageFreeRuleName) {
  TempTree tree;
  tree.File("a.bak", "12");
  tree.Dir("empty");
  auto r = RunProcess(KELVO_CLI_PATH,
                      {"scan", "--format=json", "--zero", "--patterns=bak", tree.root()});
  EXPECT_EQ(r.exitStatus, 0) << r.err;
  EXPECT_THAT(r.out, ::testing::HasSubstr(R"("type":"bak临时文件",)"));
  EXPECT_THAT(r.out, ::testing::HasSubstr(R"("rule_name":"bak","needs_admin":false})"));
  EXPECT_THAT(r.out, ::testing::HasSubstr(R"("rule_name":"empty-folder","needs_admin":false})"));
}

TEST(PlainList, OnePathPerLineOrNulSeparated) {
  std::vector<cleanup::DeletionRequest> rows;
  ASSERT_FALSE(ParseDeletionList("/x/a b.tmp\r\n\n/x/tab\there\n/x/empty/\n", rows));
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0].path, "/x/a b.tmp");
  EXPECT_EQ(rows[1].path, "/x/tab\there");
  EXPECT_FALSE(rows[1].emptyFolder);
  EXPECT_EQ(rows[2].path, "/x/empty");  // a trailing slash: a folder to remove only when empty
  EXPECT_TRUE(rows[2].emptyFolder);
  EXPECT_TRUE(rows[0].root.empty());  // walked from the top, like tsv rows
  EXPECT_FALSE(rows[0].identity);

  ASSERT_FALSE(ParseNulPathList(std::string("/x/new\nline\0\0/x/b\0", 17), rows));
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].path, "/x/new\nline");
  EXPECT_EQ(rows[1].path, "/x/b");

  EXPECT_EQ(ParseDeletionList("/x/a\nrelative\n", rows), "line 2: not an absolute path");
  EXPECT_EQ(ParseNulPathList(std::string("/x\0y", 4), rows), "path 2: not an absolute path");
}

TEST(PlainList, CleanDeletesThePathsSafely) {
  TempTree tree;
  tree.File("a.tmp");
  tree.File("odd\nname");
  tree.Dir("empty");
  tree.File("full/keep");
  tree.File("real/inside");
  tree.Symlink(tree.root() + "real", "link");
  const std::string list = tree.root() + "a.tmp" + '\0' + tree.root() + "odd\nname" + '\0' +
                           tree.root() + "empty/" + '\0' + tree.root() + "full/" + '\0' +
                           tree.root() + "link/inside" + '\0';
  auto r = RunProcess(KELVO_CLI_PATH, {"clean", "--from0", "-", "--yes"}, list);
  EXPECT_EQ(r.exitStatus, 1) << r.err;  // the folder that is not empty and the link are refused
  EXPECT_FALSE(Exists(tree.Path("a.tmp")));
  EXPECT_FALSE(Exists(tree.Path("odd\nname")));
  EXPECT_FALSE(Exists(tree.Path("empty")));
  EXPECT_TRUE(Exists(tree.Path("full/keep")));
  EXPECT_TRUE(Exists(tree.Path("real/inside")));
  EXPECT_THAT(r.out, ::testing::HasSubstr("Deleted 3 files (2 bytes), 0 already gone, 2 failed"));

  tree.File("b.tmp");
  auto lines = RunProcess(KELVO_CLI_PATH, {"clean", "--from", "-", "--yes"},
                          tree.root() + "b.tmp\n" + tree.root() + "gone.tmp\n");
  EXPECT_EQ(lines.exitStatus, 0) << lines.err;
  EXPECT_FALSE(Exists(tree.Path("b.tmp")));
  EXPECT_THAT(lines.out, ::testing::HasSubstr("Deleted 1 file (1 bytes), 1 already gone"));
}

}  // namespace
}  // namespace kelvo::cli
