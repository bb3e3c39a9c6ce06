// kelvo-cli clean must delete nothing but the junk the scan found: roots are taken as the folders
// they name on disk, mounts are never crossed, and an entry changed since the scan stays.
#include <fcntl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "support/run_process.h"
#include "support/temp_tree.h"

namespace kelvo::cli {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;
using testing::ProcessResult;
using testing::RunProcess;
using testing::TempTree;

bool Exists(const std::string& path) {
  struct stat st;
  return ::lstat(path.c_str(), &st) == 0;
}

// kelvo-cli run in folder cwd.
ProcessResult RunIn(const std::string& cwd, const std::string& args) {
  return RunProcess("/bin/sh", {"-c", "cd '" + cwd + "' && exec " KELVO_CLI_PATH " " + args});
}

// Lines of a dry run that name files.
std::string DryRunPaths(const std::string& out) {
  return out.substr(0, out.find("Would delete"));
}

TEST(CleanRootsTest, MarkersComeFromThePathOnDiskNotTheTextTyped) {
  TempTree tree;
  tree.Dir("d1/temp");
  tree.File("d1/docs/thesis.odt", "x");
  auto r = RunProcess(KELVO_CLI_PATH, {"clean", "--yes", tree.Path("d1/temp/../docs")});
  EXPECT_EQ(r.exitStatus, 0) << r.err;
  EXPECT_THAT(r.out, HasSubstr("Nothing to delete."));
  EXPECT_TRUE(Exists(tree.Path("d1/docs/thesis.odt")));

  // A link named temp is no temp folder: its target's files stay.
  tree.File("real/keep.odt");
  tree.Symlink(tree.Path("real"), "temp");
  auto scan = RunProcess(KELVO_CLI_PATH, {"scan", "--format=json", tree.Path("temp")});
  EXPECT_EQ(scan.out, "");
  r = RunProcess(KELVO_CLI_PATH, {"clean", "--yes", tree.Path("temp")});
  EXPECT_EQ(r.exitStatus, 0) << r.err;
  EXPECT_TRUE(Exists(tree.Path("real/keep.odt")));
}

TEST(CleanRootsTest, RelativeAndUntidyRootsDeleteWhatTheDryRunShowed) {
  TempTree tree;
  for (const std::string root : {".", "d7", "temp", "d7//./", "temp/../temp"}) {
    tree.File("w/d7/a.tmp", "1");
    tree.File("w/temp/doc.odt", "22");
    auto dry = RunIn(tree.Path("w"), "clean --dry-run '" + root + "'");
    ASSERT_EQ(dry.exitStatus, 0) << root << dry.err;
    EXPECT_THAT(dry.out, Not(HasSubstr("/./"))) << root;
    auto real = RunIn(tree.Path("w"), "clean --yes '" + root + "'");
    EXPECT_EQ(real.exitStatus, 0) << root << real.err;
    const std::string shown = DryRunPaths(dry.out);
    for (const char* f : {"w/d7/a.tmp", "w/temp/doc.odt"})
      EXPECT_EQ(shown.find(tree.Path(f)) != std::string::npos, !Exists(tree.Path(f)))
          << root << ": " << f << "\n"
          << dry.out << real.out << real.err;
  }
  // A list from a root written with "//" and "/./" deletes its rows.
  tree.File("w/temp/doc.odt", "22");
  auto list = RunProcess(KELVO_CLI_PATH, {"scan", "--format=json", tree.root() + "/w/./temp"});
  auto r = RunProcess(KELVO_CLI_PATH, {"clean", "--yes", "--from", "-"}, list.out);
  EXPECT_THAT(r.out, HasSubstr("Deleted 1 file (2 bytes), 0 already gone, 0 failed.")) << r.err;
}

TEST(CleanRootsTest, AMissingRootOrAFileIsAnErrorAndTheOtherRootsStillRun) {
  TempTree tree;
  tree.File("notes.txt");
  tree.File("ok/a.tmp");
  auto r = RunProcess(KELVO_CLI_PATH, {"clean", "--yes", tree.Path("none"), tree.Path("notes.txt"),
                                       tree.Path("ok")});
  EXPECT_EQ(r.exitStatus, 1);
  EXPECT_THAT(r.err, HasSubstr(tree.Path("none/: No such file or directory")));
  EXPECT_THAT(r.err, HasSubstr(tree.Path("notes.txt/: Not a directory")));
  EXPECT_FALSE(Exists(tree.Path("ok/a.tmp")));
  EXPECT_TRUE(Exists(tree.Path("notes.txt")));
}

TEST(CleanMountsTest, ABindMountOfTheSameFileSystemIsNeverEntered) {
  TempTree tree;
  tree.File("home/thesis.odt");
  tree.Dir("scan/temp");
  if (::mount(tree.Path("home").c_str(), tree.Path("scan/temp").c_str(), nullptr, MS_BIND,
              nullptr) != 0)
    GTEST_SKIP() << "bind mounts are not permitted here: " << std::strerror(errno);
  auto list = RunProcess(KELVO_CLI_PATH, {"scan", "--format=tsv", tree.Path("scan")});
  auto r = RunProcess(KELVO_CLI_PATH, {"clean", "--yes", tree.Path("scan")});
  // An edited list cannot reach through the mount either.
  auto edited = RunProcess(KELVO_CLI_PATH, {"clean", "--yes", "--from", "-"},
                           "{\"path\":\"" + tree.Path("scan/temp/thesis.odt") + "\",\"root\":\"" +
                               tree.Path("scan") + "\"}\n");
  ::umount2(tree.Path("scan/temp").c_str(), MNT_DETACH);
  EXPECT_EQ(list.out, "");
  EXPECT_EQ(r.exitStatus, 0) << r.err;
  EXPECT_THAT(edited.err, HasSubstr("its path leads to another file system"));
  EXPECT_TRUE(Exists(tree.Path("home/thesis.odt")));
}

TEST(CleanIdentityTest, AFileChangedSinceTheScanStays) {
  TempTree tree;
  tree.File("t/empty.tmp", "");
  tree.File("t/same.tmp", "abc");
  tree.File("t/grown.tmp", "abc");
  auto json = RunProcess(KELVO_CLI_PATH, {"scan", "--format=json", tree.Path("t")});
  auto tsv = RunProcess(KELVO_CLI_PATH, {"scan", "--format=tsv", tree.Path("t")});
  EXPECT_THAT(json.out, HasSubstr("\"mtime\":"));
  // The zero-byte file gains content; same.tmp keeps name, inode and size but is written anew.
  std::ofstream(tree.Path("t/empty.tmp"), std::ios::app) << "data";
  const timespec times[2] = {{0, UTIME_OMIT}, {1000000000, 5}};
  ASSERT_EQ(::utimensat(AT_FDCWD, tree.Path("t/same.tmp").c_str(), times, 0), 0);
  auto r = RunProcess(KELVO_CLI_PATH, {"clean", "--yes", "--from", "-"}, json.out);
  EXPECT_EQ(r.exitStatus, 1);
  EXPECT_THAT(r.out, HasSubstr("Deleted 1 file (3 bytes), 0 already gone, 2 failed (2 changed "
                               "since the scan)."));
  EXPECT_TRUE(Exists(tree.Path("t/empty.tmp")));
  EXPECT_TRUE(Exists(tree.Path("t/same.tmp")));

  // A tsv row is checked by its size.
  tree.File("t/grown.tmp", "abc");
  std::ofstream(tree.Path("t/grown.tmp"), std::ios::app) << "more";
  r = RunProcess(KELVO_CLI_PATH, {"clean", "--yes", "--from", "-"}, tsv.out);
  EXPECT_THAT(r.err, HasSubstr(tree.Path("t/grown.tmp") + ": changed since the scan"));
  EXPECT_TRUE(Exists(tree.Path("t/grown.tmp")));
}

}  // namespace
}  // namespace kelvo::cli
