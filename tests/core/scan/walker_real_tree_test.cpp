// The walk over real trees on disk: odd names, links, permissions, depth and mounts.
#include <grp.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <climits>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/file_system.h"
#include "scan/driver.h"
#include "support/recording_scan.h"
#include "support/temp_tree.h"

namespace kelvo::scan {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::Not;
using testing::RecordingScan;
using testing::TempTree;

class RealTreeTest : public ::testing::Test {
 protected:
  RealTreeTest() {
    controls.driveKeys = {tree.root()};
    controls.patterns[0] = true;
  }
  std::vector<std::string> Paths() {
    std::vector<std::string> out;
    for (const auto& r : controls.rows) out.push_back(NativeToUtf8(r.fullPath));
    return out;
  }
  void Scan() { RunScan(state, controls, platform::NativeFileSystem()); }

  TempTree tree;
  RecordingScan controls;
  ScanState state;
};

TEST_F(RealTreeTest, OddNamesAreReportedByteForByte) {
  tree.File("with space.tmp");
  tree.File("trailing.tmp ");  // another file than "trailing.tmp": not a .tmp name
  tree.File("new\nline.tmp");
  tree.File("bad\xff\xfe.tmp");
  tree.File("中文目录/临时.TMP", "abc");
  Scan();
  auto paths = Paths();
  EXPECT_THAT(paths, Contains(tree.Path("with space.tmp")));
  EXPECT_THAT(paths, Contains(tree.Path("new\nline.tmp")));
  EXPECT_THAT(paths, Contains(tree.Path("bad\xff\xfe.tmp")));
  EXPECT_THAT(paths, Contains(tree.Path("中文目录/临时.TMP")));
  EXPECT_THAT(paths, Not(Contains(tree.Path("trailing.tmp "))));
  EXPECT_THAT(paths, Not(Contains(tree.Path("trailing.tmp"))));
  for (const auto& r : controls.rows)
    if (NativeToUtf8(r.fileName) == "临时.TMP") {
      EXPECT_EQ(r.size, 3u);
      EXPECT_EQ(NativeToUtf8(r.typeLabel), "TMP临时文件");
    }
}

TEST_F(RealTreeTest, SymbolicLinksAreEntriesNeverFollowed) {
  TempTree outside;
  outside.File("victim.tmp");
  tree.Symlink(outside.root(), "linkdir");
  tree.Symlink(outside.Path("victim.tmp"), "link.tmp");
  Scan();
  EXPECT_THAT(Paths(), ElementsAre(tree.Path("link.tmp")));
  ASSERT_TRUE(controls.rows[0].identity);
  EXPECT_EQ(controls.rows[0].identity->type, platform::EntryType::kSymlink);
  EXPECT_THAT(controls.scannedFolders, ElementsAre(tree.root()));
}

TEST_F(RealTreeTest, ReadOnlyFoldersAreExaminedAndEnteredPlainOnesOnlyEntered) {
  tree.File("ro.tmp/inner.tmp");
  tree.Chmod("ro.tmp", 0555);
  tree.File("rw.tmp/inner2.tmp");
  tree.File(".dot.tmp/hidden-inside.tmp");
  Scan();
  auto paths = Paths();
  EXPECT_THAT(paths, ::testing::UnorderedElementsAre(tree.Path(".dot.tmp"), tree.Path("ro.tmp"),
                                                     tree.Path("ro.tmp/inner.tmp"),
                                                     tree.Path("rw.tmp/inner2.tmp")));
  // A folder's own row comes from its parent's classification, before the folder is entered.
  auto at = [&](const std::string& p) { return std::find(paths.begin(), paths.end(), p); };
  EXPECT_LT(at(tree.Path("ro.tmp")), at(tree.Path("ro.tmp/inner.tmp")));
}

TEST_F(RealTreeTest, FolderThatCannotBeListedIsReportedAndTheScanGoesOn) {
  // Root lists every folder: the scan runs in a child that is nobody through and through, and
  // says by its exit status which check failed.
  ASSERT_EQ(::geteuid(), 0u) << "the tests run as root";
  constexpr uid_t kNobody = 65534;
  tree.Chmod("", 0755);
  tree.File("locked/secret.tmp");
  tree.File("open/visible.tmp");
  tree.Chmod("locked", 0);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    if (::setgroups(0, nullptr) != 0 || ::setresgid(kNobody, kNobody, kNobody) != 0 ||
        ::setresuid(kNobody, kNobody, kNobody) != 0)
      ::_exit(2);
    Scan();
    const bool reported = std::find(controls.events.begin(), controls.events.end(),
                                    "unreadable " + tree.Path("locked/")) != controls.events.end();
    const bool walkedOn = Paths() == std::vector<std::string>{tree.Path("open/visible.tmp")};
    ::_exit(reported ? (walkedOn ? 0 : 4) : 3);
  }
  int status = -1;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  tree.Chmod("locked", 0755);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_NE(WEXITSTATUS(status), 2) << "could not become nobody";
  EXPECT_NE(WEXITSTATUS(status), 3) << "the locked folder was not reported";
  EXPECT_NE(WEXITSTATUS(status), 4) << "the scan did not go on to the open folder";
  EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST_F(RealTreeTest, ChainsDeeperThanPathMaxAreWalked) {
  const std::string component(200, 'd');
  const int depth = PATH_MAX / 200 + 5;
  tree.DeepChain("deep", depth, component, "leaf.tmp");
  Scan();
  ASSERT_EQ(controls.rows.size(), 1u);
  const std::string path = NativeToUtf8(controls.rows[0].fullPath);
  EXPECT_GT(path.size(), static_cast<std::size_t>(PATH_MAX));
  EXPECT_EQ(NativeToUtf8(controls.rows[0].fileName), "leaf.tmp");
  EXPECT_EQ(controls.rows[0].size, 0u);
  EXPECT_EQ(controls.scannedFolders.size(), static_cast<std::size_t>(depth + 2));
}

TEST_F(RealTreeTest, EmptyFolderRowAndZeroByteRule) {
  tree.Dir("empty");
  tree.File("zero.dat", "");
  tree.File("one.dat", "1");
  controls.patterns[0] = false;
  controls.check3 = true;
  Scan();
  auto paths = Paths();
  std::sort(paths.begin(), paths.end());
  EXPECT_THAT(paths, ElementsAre(tree.Path("empty"), tree.Path("zero.dat")));
}

TEST_F(RealTreeTest, AMountedFileSystemInsideTheTreeIsNotEntered) {
  tree.Dir("mnt");
  if (::mount("kelvo-test", tree.Path("mnt").c_str(), "tmpfs", 0, nullptr) != 0)
    GTEST_SKIP() << "cannot mount a tmpfs here";
  tree.File("mnt/far.tmp");
  tree.File("near.tmp");
  Scan();
  ::umount(tree.Path("mnt").c_str());
  EXPECT_THAT(Paths(), ElementsAre(tree.Path("near.tmp")));
  EXPECT_THAT(controls.scannedFolders, ElementsAre(tree.root()));
}

TEST_F(RealTreeTest, RowsCarryTheIdentityOfWhatWasSeen) {
  tree.File("a.tmp", "12345");
  Scan();
  ASSERT_EQ(controls.rows.size(), 1u);
  const auto& row = controls.rows[0];
  ASSERT_TRUE(row.identity);
  struct stat st;
  ASSERT_EQ(::lstat(tree.Path("a.tmp").c_str(), &st), 0);
  EXPECT_EQ(row.identity->inode, st.st_ino);
  EXPECT_EQ(row.identity->device, st.st_dev);
  EXPECT_EQ(row.size, 5u);
  EXPECT_EQ(NativeToUtf8(row.root), tree.root());
}

}  // namespace
}  // namespace kelvo::scan
