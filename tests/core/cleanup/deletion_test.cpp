// Deleting scanned rows on real trees: what changed between the scan and the deletion must never
// lead the deletion out of the tree or onto another entry. The tests run as root in CI, so it is
// never file permissions that protect.
#include <fcntl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdio>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "cleanup/deletion.h"
#include "cleanup/removal_gate.h"
#include "platform/entry_removal.h"
#include "platform/file_system.h"
#include "scan/driver.h"
#include "support/recording_scan.h"
#include "support/temp_tree.h"

namespace kelvo::cleanup {
namespace {

using ::testing::ElementsAre;
using testing::Exists;
using testing::RecordingScan;
using testing::TempTree;

class DeletionTest : public ::testing::Test {
 protected:
  DeletionTest() {
    controls.patterns[0] = true;  // *.tmp
  }

  // Scans root (a folder of the tree) and returns the rows, bottom of the list first.
  std::vector<DeletionRequest> Scan(const std::string& relativeRoot = "") {
    controls.rows.clear();
    controls.driveKeys = {tree.Path(relativeRoot)};
    scan::ScanState state;
    testing::RunScan(state, controls, platform::NativeFileSystem());
    std::vector<DeletionRequest> rows;
    for (auto it = controls.rows.rbegin(); it != controls.rows.rend(); ++it)
      rows.push_back(RequestFor(*it));
    return rows;
  }

  const DeletionRequest& Row(const std::vector<DeletionRequest>& rows, const std::string& path) {
    for (const auto& r : rows)
      if (NativeToUtf8(r.path) == path) return r;
    ADD_FAILURE() << "no row for " << path;
    return rows.front();
  }

  TempTree tree;
  TempTree outside;
  RecordingScan controls;
};

std::vector<DeletionOutcome> Outcomes(const std::vector<DeletionResult>& results) {
  std::vector<DeletionOutcome> out;
  for (const auto& r : results) out.push_back(r.outcome);
  return out;
}

TEST_F(DeletionTest, DeletesEveryRowInOrderCountingBytesAndProgress) {
  tree.File("a.tmp", "abc");
  tree.File("sub/b.tmp", "12345");
  tree.File("keep.txt", "keep");
  auto rows = Scan();
  ASSERT_EQ(rows.size(), 2u);
  std::vector<std::pair<std::size_t, std::size_t>> steps;
  auto results = DeleteItems(
      rows, [&](std::size_t done, std::size_t total) { steps.emplace_back(done, total); });
  EXPECT_THAT(Outcomes(results), ElementsAre(DeletionOutcome::kDeleted, DeletionOutcome::kDeleted));
  EXPECT_EQ(results[0].bytes + results[1].bytes, 8u);
  EXPECT_EQ(results[0].failure, DeletionFailure::kNone);
  EXPECT_THAT(steps, ElementsAre(std::pair<std::size_t, std::size_t>{1, 2},
                                 std::pair<std::size_t, std::size_t>{2, 2}));
  EXPECT_FALSE(Exists(tree.Path("a.tmp")));
  EXPECT_FALSE(Exists(tree.Path("sub/b.tmp")));
  EXPECT_TRUE(Exists(tree.Path("sub")));
  EXPECT_TRUE(Exists(tree.Path("keep.txt")));
}

// The classic escape: a folder on the way is swapped for a link to somewhere else that holds a
// file of the same name.
TEST_F(DeletionTest, AParentReplacedByALinkLeadsNowhere) {
  tree.File("scanned/dir/x.tmp");
  outside.File("dir/x.tmp", "precious");
  auto rows = Scan("scanned/");
  ASSERT_EQ(rows.size(), 1u);
  ASSERT_EQ(::rename(tree.Path("scanned/dir").c_str(), tree.Path("scanned/moved").c_str()), 0);
  tree.Symlink(outside.Path("dir"), "scanned/dir");

  // With what the scan saw, and without it (a list that carries neither root nor identity).
  DeletionRequest bare = rows[0];
  bare.identity.reset();
  bare.root.clear();
  auto results = DeleteItems({rows[0], bare});
  for (const auto& r : results) {
    EXPECT_EQ(r.outcome, DeletionOutcome::kFailed);
    EXPECT_EQ(r.failure, DeletionFailure::kLinkInPath) << r.error.message();
  }
  EXPECT_TRUE(Exists(outside.Path("dir/x.tmp")));
  EXPECT_TRUE(Exists(tree.Path("scanned/moved/x.tmp")));
  EXPECT_TRUE(Exists(tree.Path("scanned/dir")));
}

TEST_F(DeletionTest, ALinkSwappedInWhileDeletingIsNotFollowed) {
  tree.File("scanned/dir/a.tmp");
  tree.File("scanned/dir/b.tmp");
  tree.File("scanned/other/c.tmp");
  outside.File("dir/a.tmp");
  outside.File("dir/b.tmp");
  outside.File("other/c.tmp");
  auto rows = Scan("scanned/");
  ASSERT_EQ(rows.size(), 3u);
  // After the first row both folders are swapped for links to look-alikes outside.
  auto results = DeleteItems(rows, [&](std::size_t done, std::size_t) {
    if (done != 1) return;
    for (const char* name : {"dir", "other"}) {
      const std::string from = std::string("scanned/") + name;
      ASSERT_EQ(::rename(tree.Path(from).c_str(), tree.Path(from + ".old").c_str()), 0);
      tree.Symlink(outside.Path(name), from);
    }
  });
  for (const char* f : {"dir/a.tmp", "dir/b.tmp", "other/c.tmp"})
    EXPECT_TRUE(Exists(outside.Path(f))) << f;
  EXPECT_EQ(results[0].outcome, DeletionOutcome::kDeleted);
  for (std::size_t i = 1; i < results.size(); ++i)
    EXPECT_NE(results[i].outcome, DeletionOutcome::kAlreadyGone);
}

TEST_F(DeletionTest, AFileReplacedAfterTheScanIsKeptAndReportedChanged) {
  tree.File("x.tmp", "old");
  auto rows = Scan();
  ASSERT_EQ(rows.size(), 1u);
  // Made while the old one still exists, so it is surely another inode.
  tree.File("new.txt", "new content");
  ASSERT_EQ(::rename(tree.Path("new.txt").c_str(), tree.Path("x.tmp").c_str()), 0);
  auto results = DeleteItems(rows);
  EXPECT_EQ(results[0].outcome, DeletionOutcome::kFailed);
  EXPECT_EQ(results[0].failure, DeletionFailure::kChangedSinceScan);
  EXPECT_TRUE(Exists(tree.Path("x.tmp")));
}

TEST_F(DeletionTest, ALinkRowDeletesTheLinkNotItsTarget) {
  outside.File("target.txt", "precious");
  outside.File("folder/inside.txt");
  tree.Symlink(outside.Path("target.txt"), "file-link.tmp");
  tree.Symlink(outside.Path("folder"), "folder-link.tmp");
  auto rows = Scan();
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_THAT(Outcomes(DeleteItems(rows)),
              ElementsAre(DeletionOutcome::kDeleted, DeletionOutcome::kDeleted));
  EXPECT_FALSE(Exists(tree.Path("file-link.tmp")));
  EXPECT_FALSE(Exists(tree.Path("folder-link.tmp")));
  EXPECT_TRUE(Exists(outside.Path("target.txt")));
  EXPECT_TRUE(Exists(outside.Path("folder/inside.txt")));
}

TEST_F(DeletionTest, AFolderRowIsNeverDeletedUnlessAnEmptyFolderRowStillEmpty) {
  tree.File(".hidden.tmp/inside.txt");  // a folder named like junk, reported for its attribute
  tree.Dir("empty");
  tree.Dir("filled-later");
  tree.Dir("became-file");
  controls.check3 = true;
  auto rows = Scan();
  const auto& folderRow = Row(rows, tree.Path(".hidden.tmp"));
  EXPECT_FALSE(folderRow.emptyFolder);
  const auto& empty = Row(rows, tree.Path("empty"));
  const auto& filled = Row(rows, tree.Path("filled-later"));
  const auto& becameFile = Row(rows, tree.Path("became-file"));
  ASSERT_TRUE(empty.emptyFolder && filled.emptyFolder && becameFile.emptyFolder);
  tree.File("filled-later/new.txt");
  ASSERT_EQ(::rmdir(tree.Path("became-file").c_str()), 0);
  tree.File("became-file");

  // A folder that is empty but not reported as an empty folder is not deleted either.
  tree.Dir("empty-too.tmp");
  DeletionRequest notEmptyFolderRow;
  notEmptyFolderRow.path = tree.Path("empty-too.tmp");
  notEmptyFolderRow.root = tree.root();

  auto results = DeleteItems({folderRow, empty, filled, becameFile, notEmptyFolderRow});
  EXPECT_EQ(results[0].failure, DeletionFailure::kIsDirectory);
  EXPECT_EQ(results[1].outcome, DeletionOutcome::kDeleted);
  EXPECT_EQ(results[2].failure, DeletionFailure::kNotEmpty);
  EXPECT_EQ(results[3].failure, DeletionFailure::kChangedSinceScan);
  EXPECT_EQ(results[4].failure, DeletionFailure::kIsDirectory);
  EXPECT_TRUE(Exists(tree.Path(".hidden.tmp/inside.txt")));
  EXPECT_FALSE(Exists(tree.Path("empty")));
  EXPECT_TRUE(Exists(tree.Path("filled-later/new.txt")));
  EXPECT_TRUE(Exists(tree.Path("became-file")));
  EXPECT_TRUE(Exists(tree.Path("empty-too.tmp")));
}

TEST_F(DeletionTest, ReadOnlyFilesAndFoldersDoNotStopTheDeletion) {
  tree.File("ro/locked.tmp", "abc", 0444);
  auto rows = Scan();
  tree.Chmod("ro", 0555);
  auto results = DeleteItems(rows);
  tree.Chmod("ro", 0755);
  if (::geteuid() != 0) {
    // Without write permission on the folder only root may delete in it.
    EXPECT_EQ(results[0].failure, DeletionFailure::kPermissionDenied);
    rows = Scan();
    results = DeleteItems(rows);
  }
  EXPECT_EQ(results[0].outcome, DeletionOutcome::kDeleted);
  EXPECT_FALSE(Exists(tree.Path("ro/locked.tmp")));
}

TEST_F(DeletionTest, VanishedEntriesAndDuplicateRowsCountAsAlreadyGone) {
  tree.File("gone.tmp");
  tree.File("gone-folder/x.tmp");
  tree.File("temp/twice.tmp", "1234");  // reported by the *.tmp rule and the temp folder rule
  controls.check2 = true;
  auto rows = Scan();
  ASSERT_EQ(rows.size(), 4u);
  ASSERT_EQ(::unlink(tree.Path("gone.tmp").c_str()), 0);
  testing::RemoveTree(tree.Path("gone-folder"));
  auto results = DeleteItems(rows);
  std::size_t deleted = 0, gone = 0;
  std::uint64_t bytes = 0;
  for (const auto& r : results) {
    deleted += r.outcome == DeletionOutcome::kDeleted;
    gone += r.outcome == DeletionOutcome::kAlreadyGone;
    bytes += r.bytes;
  }
  EXPECT_EQ(deleted, 1u);
  EXPECT_EQ(gone, 3u);
  EXPECT_EQ(bytes, 4u);
  EXPECT_FALSE(Exists(tree.Path("temp/twice.tmp")));
}

TEST_F(DeletionTest, OddNamesAreDeletedByteForByte) {
  const std::vector<std::string> names = {"new\nline/x.tmp", "tab\there.tmp", "back\\slash.tmp",
                                          "bad\xff\xfe/\x80.tmp", "中文目录/临时文件.tmp"};
  for (const auto& n : names) tree.File(n);
  tree.File("back\\slash.tmp.keep");
  auto rows = Scan();
  ASSERT_EQ(rows.size(), names.size());
  for (const auto& r : DeleteItems(rows))
    EXPECT_EQ(r.outcome, DeletionOutcome::kDeleted) << r.error.message();
  for (const auto& n : names) EXPECT_FALSE(Exists(tree.Path(n))) << n;
  EXPECT_TRUE(Exists(tree.Path("back\\slash.tmp.keep")));
}

TEST_F(DeletionTest, PathsDeeperThanPathMax) {
  const std::string component(200, 'd');
  tree.DeepChain("deep", PATH_MAX / 200 + 5, component, "leaf.tmp");
  auto rows = Scan();
  ASSERT_EQ(rows.size(), 1u);
  ASSERT_GT(rows[0].path.size(), static_cast<std::size_t>(PATH_MAX));
  auto results = DeleteItems(rows);
  EXPECT_EQ(results[0].outcome, DeletionOutcome::kDeleted) << results[0].error.message();
  EXPECT_TRUE(Scan().empty());
  // Without the root the walk starts at "/" and still gets there.
  tree.DeepChain("deep", PATH_MAX / 200 + 5, component, "leaf.tmp");
  rows = Scan();
  rows[0].root.clear();
  EXPECT_EQ(DeleteItems(rows)[0].outcome, DeletionOutcome::kDeleted);
}

// A .tmp file at every level of a chain longer than PATH_MAX, deleted in the window's order (bottom
// first) and in the scan's: each folder is opened about once, not once per row below it.
TEST_F(DeletionTest, DeepTreesAreDeletedOpeningEachFolderAboutOnce) {
  constexpr int kDepth = 400;
  for (bool bottomFirst : {true, false}) {
    int fd = ::open(tree.root().c_str(), O_RDONLY | O_DIRECTORY);
    ASSERT_EQ(::mkdirat(fd, "deep", 0755), 0);
    for (int i = 0; i <= kDepth; ++i) {
      const int next = ::openat(fd, i == 0 ? "deep" : "dddddddddddd", O_RDONLY | O_DIRECTORY);
      ::close(fd);
      fd = next;
      ::close(::openat(fd, "f.tmp", O_CREAT | O_WRONLY, 0644));
      ASSERT_EQ(::mkdirat(fd, "dddddddddddd", 0755), 0);
    }
    ::close(fd);
    std::vector<DeletionRequest> rows = Scan("deep");
    ASSERT_EQ(rows.size(), kDepth + 1u);
    if (!bottomFirst) std::reverse(rows.begin(), rows.end());
    auto owned = platform::MakeNativeEntryRemover();
    const platform::EntryRemover* remover = owned.get();
    RemovalGate gate({}, std::move(owned), nullptr);
    for (const auto& row : rows) {
      const DeletionResult r = gate.Pass(row);
      EXPECT_EQ(r.outcome, DeletionOutcome::kDeleted) << r.error.message();
    }
    EXPECT_LE(remover->FoldersOpened(), 3u * kDepth) << bottomFirst;
    testing::RemoveTree(tree.Path("deep"));
  }
}

TEST_F(DeletionTest, AnotherFileSystemOnTheWayIsRefused) {
  tree.File("mnt/x.tmp");
  auto rows = Scan();
  ASSERT_EQ(rows.size(), 1u);
  if (::mount("kelvo-test", tree.Path("mnt").c_str(), "tmpfs", 0, nullptr) != 0)
    GTEST_SKIP() << "cannot mount a tmpfs here";
  tree.File("mnt/x.tmp");
  DeletionRequest noIdentity = rows[0];
  noIdentity.identity.reset();
  auto results = DeleteItems({noIdentity});
  const bool stillThere = Exists(tree.Path("mnt/x.tmp"));
  ::umount(tree.Path("mnt").c_str());
  EXPECT_EQ(results[0].failure, DeletionFailure::kOtherFileSystem);
  EXPECT_TRUE(stillThere);
}

TEST_F(DeletionTest, PathsThatLeaveTheirRootAreRefused) {
  tree.File("in/x.tmp");
  outside.File("x.tmp");
  auto rows = Scan("in/");
  ASSERT_EQ(rows.size(), 1u);
  DeletionRequest dotDot = rows[0];
  dotDot.path = tree.Path("in/../in/x.tmp");
  DeletionRequest elsewhere = rows[0];
  elsewhere.path = outside.Path("x.tmp");
  DeletionRequest relative = rows[0];
  relative.path = "x.tmp";
  relative.root.clear();
  for (const auto& r : DeleteItems({dotDot, elsewhere, relative})) {
    EXPECT_EQ(r.failure, DeletionFailure::kBadPath);
    EXPECT_EQ(r.error, std::errc::invalid_argument);
  }
  EXPECT_TRUE(Exists(tree.Path("in/x.tmp")));
  EXPECT_TRUE(Exists(outside.Path("x.tmp")));
}

}  // namespace
}  // namespace kelvo::cleanup

namespace kelvo::cleanup {
namespace {

// Audit rows carry Windows paths; they are deleted inside the Wine prefix they came from, and only
// there.
class AuditRowDeletionTest : public ::testing::Test {
 protected:
  AuditRowDeletionTest() {
    const char* old = std::getenv("WINEPREFIX");
    if (old) oldPrefix_ = old;
    prefix.File("drive_c/windows/System32/Old.dll", "12345");
    prefix.Dir("dosdevices");
    prefix.Symlink("../drive_c", "dosdevices/c:");
    ::setenv("WINEPREFIX", prefix.root().substr(0, prefix.root().size() - 1).c_str(), 1);
  }
  ~AuditRowDeletionTest() override {
    if (oldPrefix_)
      ::setenv("WINEPREFIX", oldPrefix_->c_str(), 1);
    else
      ::unsetenv("WINEPREFIX");
  }

  static scan::JunkItem AuditRow(const std::string& windowsPath) {
    scan::JunkItem item;
    item.rule = scan::kAuditRule;
    item.fullPath = windowsPath;
    return item;
  }

  testing::TempTree prefix;
  std::optional<std::string> oldPrefix_;
};

TEST_F(AuditRowDeletionTest, DeletesTheMappedFileInsideThePrefix) {
  auto request = RequestFor(AuditRow("C:\\WINDOWS\\system32\\old.DLL"));
  EXPECT_EQ(NativeToUtf8(request.root), prefix.root() + "dosdevices/c:/");
  auto results = DeleteItems({request});
  ASSERT_EQ(results.size(), 1u);
  EXPECT_EQ(results[0].outcome, DeletionOutcome::kDeleted);
  EXPECT_FALSE(Exists(prefix.Path("drive_c/windows/System32/Old.dll")));
}

TEST_F(AuditRowDeletionTest, APathThatCannotBeMappedIsRefusedNotTakenLiterally) {
  auto results = DeleteItems({RequestFor(AuditRow("D:\\nowhere\\x.dll")),
                              RequestFor(AuditRow("C:\\windows\\missing.dll"))});
  for (const auto& r : results) EXPECT_EQ(r.outcome, DeletionOutcome::kFailed);
  EXPECT_TRUE(Exists(prefix.Path("drive_c/windows/System32/Old.dll")));
}

}  // namespace
}  // namespace kelvo::cleanup
