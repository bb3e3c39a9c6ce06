// kelvo-cli clean deletes nothing but the junk the scan found: roots are the folders they name on
// disk, mounts are never crossed, and an entry changed since the scan stays.
#include <fcntl.h>
#include <sys/mount.h>
#include <sys/stat.h>

#include <fstream>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "support/run_process.h"
#include "support/temp_tree.h"

namespace kelvo::cli {
namespace {

using testing::Exists;
using ::testing::HasSubstr;
using testing::RunProcess;
using testing::TempTree;

std::string Clean(const std::string& how, const std::string& root, const std::string& cwd = "/") {
  const std::string cmd = "cd '" + cwd + "' && exec " KELVO_CLI_PATH " clean " + how + " '" + root;
  return RunProcess("/bin/sh", {"-c", cmd + "'"}).out;
}

TEST(CleanRootsTest, MarkersComeFromThePathOnDiskNotTheTextTyped) {
  TempTree tree;
  tree.Dir("d1/temp");
  tree.File("d1/docs/thesis.odt");
  tree.File("real/keep.odt");
  tree.Symlink(tree.Path("real"), "temp");
  EXPECT_EQ(Clean("--yes", tree.Path("d1/temp/../docs")), "Nothing to delete.\n");
  EXPECT_EQ(Clean("--yes", tree.Path("temp")), "Nothing to delete.\n");
  EXPECT_TRUE(Exists(tree.Path("d1/docs/thesis.odt")));
  EXPECT_TRUE(Exists(tree.Path("real/keep.odt")));
}

TEST(CleanRootsTest, RelativeAndUntidyRootsDeleteWhatTheDryRunShowed) {
  TempTree tree;
  for (const std::string root : {".", "d7", "temp", "d7//./", "temp/../temp", "..//w/./temp"}) {
    tree.File("w/d7/a.tmp");
    tree.File("w/temp/doc.odt");
    const std::string dry = Clean("--dry-run", root, tree.Path("w"));
    EXPECT_THAT(Clean("--yes", root, tree.Path("w")), HasSubstr(" 0 failed.")) << root;
    for (const char* f : {"w/d7/a.tmp", "w/temp/doc.odt"})
      EXPECT_EQ(dry.find(tree.Path(f) + "\n") != std::string::npos, !Exists(tree.Path(f)))
          << root << " " << f << "\n"
          << dry;
  }
}

TEST(CleanMountsTest, ABindMountOfTheSameFileSystemIsNeverEntered) {
  TempTree tree;
  tree.File("home/thesis.odt");
  tree.Dir("scan/temp");
  if (::mount(tree.Path("home").c_str(), tree.Path("scan/temp").c_str(), nullptr, MS_BIND,
              nullptr) != 0)
    GTEST_SKIP() << "bind mounts are not permitted here";
  const std::string cleaned = Clean("--yes", tree.Path("scan"));
  // Nor can an edited list reach through it.
  auto edited = RunProcess(KELVO_CLI_PATH, {"clean", "--yes", "--from", "-"},
                           "{\"path\":\"" + tree.Path("scan/temp/thesis.odt") + "\",\"root\":\"" +
                               tree.Path("scan") + "\"}\n");
  ::umount2(tree.Path("scan/temp").c_str(), MNT_DETACH);
  EXPECT_EQ(cleaned, "Nothing to delete.\n");
  EXPECT_THAT(edited.err, HasSubstr("its path leads to another file system"));
  EXPECT_TRUE(Exists(tree.Path("home/thesis.odt")));
}

TEST(CleanIdentityTest, AFileChangedSinceTheScanStays) {
  TempTree tree;
  tree.File("t/empty.tmp", "");
  tree.File("t/same.tmp", "abc");
  auto json = RunProcess(KELVO_CLI_PATH, {"scan", "--format=json", tree.Path("t")});
  auto tsv = RunProcess(KELVO_CLI_PATH, {"scan", "--format=tsv", tree.Path("t")});
  // The empty file gains content; same.tmp keeps its name, inode and size but is written anew.
  std::ofstream(tree.Path("t/empty.tmp"), std::ios::app) << "data";
  const timespec times[2] = {{0, UTIME_OMIT}, {1000000000, 5}};
  ASSERT_EQ(::utimensat(AT_FDCWD, tree.Path("t/same.tmp").c_str(), times, 0), 0);
  auto r = RunProcess(KELVO_CLI_PATH, {"clean", "--yes", "--from", "-"}, json.out);
  EXPECT_THAT(r.out, HasSubstr("Deleted 0 files (0 bytes), 0 already gone, 2 failed (2 changed "));
  // A tsv row is checked by its size.
  r = RunProcess(KELVO_CLI_PATH, {"clean", "--yes", "--from", "-"}, tsv.out);
  EXPECT_THAT(r.err, HasSubstr(tree.Path("t/empty.tmp") + ": changed since the scan"));
  EXPECT_TRUE(Exists(tree.Path("t/empty.tmp")));
}

}  // namespace
}  // namespace kelvo::cli
