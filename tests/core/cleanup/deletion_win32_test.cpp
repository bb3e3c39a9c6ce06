// Deleting scanned rows on Windows: read-only, hidden and system files go; a file that cannot be
// deleted stays with its attributes as they were; links on the way and replaced files are refused.
#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "cleanup/deletion.h"
#include "platform/file_system.h"
#include "platform/file_update.h"
#include "platform/known_folders.h"
#include "scan/driver.h"
#include "support/recording_scan.h"
#include "support/temp_tree.h"

namespace kelvo::cleanup {
namespace {

using testing::RecordingScan;
using testing::TempTree;

class DeletionWin32Test : public ::testing::Test {
 protected:
  DeletionWin32Test() { controls.patterns[0] = true; }  // *.tmp

  // Scans the tree and returns the rows, bottom of the list first.
  std::vector<DeletionRequest> Scan(const std::string& relativeRoot = "") {
    controls.rows.clear();
    controls.driveKeys = {tree.PathUtf8(relativeRoot)};
    scan::ScanState state;
    testing::RunScan(state, controls, platform::NativeFileSystem());
    std::vector<DeletionRequest> rows;
    for (auto it = controls.rows.rbegin(); it != controls.rows.rend(); ++it)
      rows.push_back(RequestFor(*it));
    return rows;
  }
  DeletionRequest Row(const std::vector<DeletionRequest>& rows, const std::string& relative) {
    for (const auto& r : rows)
      if (r.path == tree.Path(relative)) return r;
    ADD_FAILURE() << "no row for " << relative;
    return {};
  }
  bool Exists(const std::string& relative) {
    return tree.Attributes(relative) != INVALID_FILE_ATTRIBUTES;
  }

  TempTree tree;
  RecordingScan controls;
};

TEST_F(DeletionWin32Test, ReadOnlyHiddenAndSystemFilesAreDeleted) {
  tree.File("ro.tmp", "abc");
  tree.SetAttributes("ro.tmp", FILE_ATTRIBUTE_READONLY);
  tree.File("hid.tmp", "12");
  tree.SetAttributes("hid.tmp", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
  tree.File("中文/临时.tmp", "1");
  auto rows = Scan();
  ASSERT_EQ(rows.size(), 3u);
  auto results = DeleteItems(rows);
  for (const auto& r : results)
    EXPECT_EQ(r.outcome, DeletionOutcome::kDeleted) << r.error.message();
  EXPECT_FALSE(Exists("ro.tmp"));
  EXPECT_FALSE(Exists("hid.tmp"));
  EXPECT_FALSE(Exists("中文/临时.tmp"));
  std::uint64_t bytes = 0;
  for (const auto& r : results) bytes += r.bytes;
  EXPECT_EQ(bytes, 6u);
}

TEST_F(DeletionWin32Test, AFileInUseStaysWithItsAttributesAsTheyWere) {
  tree.File("open.tmp", "abc");
  tree.SetAttributes("open.tmp", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
  const DWORD before = tree.Attributes("open.tmp");
  auto rows = Scan();
  ASSERT_EQ(rows.size(), 1u);
  // Open without delete sharing, as a program holding the file would.
  HANDLE h = ::CreateFileW(tree.Path("open.tmp").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                           OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  auto results = DeleteItems(rows);
  ::CloseHandle(h);
  EXPECT_EQ(results[0].outcome, DeletionOutcome::kFailed);
  EXPECT_EQ(results[0].failure, DeletionFailure::kInUse);
  EXPECT_EQ(tree.Attributes("open.tmp"), before);
  EXPECT_TRUE(before & FILE_ATTRIBUTE_READONLY);
}

TEST_F(DeletionWin32Test, ARunningLibraryCannotBeDeletedAndKeepsItsReadOnlyBit) {
  // A loaded library's file refuses deletion only once its read-only bit has been taken away, so
  // the attribute must be put back.
  const auto bytes =
      platform::ReadWholeFile(platform::ProgramFolder() + L"\\kelvo_test_component_registers.dll");
  ASSERT_TRUE(bytes);
  tree.File("lib/loaded.tmp", *bytes);
  tree.SetAttributes("lib/loaded.tmp", FILE_ATTRIBUTE_READONLY);
  HMODULE module = ::LoadLibraryW(tree.Path("lib/loaded.tmp").c_str());
  ASSERT_NE(module, nullptr);
  auto rows = Scan();
  ASSERT_EQ(rows.size(), 1u);
  auto results = DeleteItems(rows);
  const DWORD after = tree.Attributes("lib/loaded.tmp");
  ::FreeLibrary(module);
  if (results[0].outcome == DeletionOutcome::kDeleted)
    GTEST_SKIP() << "this system deletes the files of loaded libraries";
  EXPECT_EQ(results[0].outcome, DeletionOutcome::kFailed);
  EXPECT_TRUE(after & FILE_ATTRIBUTE_READONLY) << std::hex << after;
  EXPECT_TRUE(Exists("lib/loaded.tmp"));
}

TEST_F(DeletionWin32Test, AFileReplacedAfterTheScanIsKept) {
  tree.File("a.tmp", "old");
  auto rows = Scan();
  // Moved aside rather than deleted, so that the new file cannot get the old one's number.
  ASSERT_TRUE(::MoveFileW(tree.Path("a.tmp").c_str(), tree.Path("a.old").c_str()));
  tree.File("a.tmp", "new content");
  auto results = DeleteItems(rows);
  EXPECT_EQ(results[0].failure, DeletionFailure::kChangedSinceScan);
  EXPECT_TRUE(Exists("a.tmp"));
}

TEST_F(DeletionWin32Test, AFolderReplacedByALinkLeadsNowhere) {
  tree.File("outside/victim.tmp");
  tree.File("in/sub/victim.tmp");
  auto rows = Scan("in/");
  ASSERT_EQ(rows.size(), 1u);
  testing::RemoveTree(tree.Path("in/sub"));
  if (!tree.DirectoryLink("outside", "in/sub")) GTEST_SKIP() << "no directory link can be made";
  DeletionRequest row = rows[0];
  row.identity.reset();  // even without the identity check the link is not passed
  auto results = DeleteItems({row});
  EXPECT_EQ(results[0].failure, DeletionFailure::kLinkInPath) << results[0].error.message();
  EXPECT_TRUE(Exists("outside/victim.tmp"));
}

TEST_F(DeletionWin32Test, PathsLongerThanMaxPathAreDeleted) {
  std::string relative;
  for (int i = 0; i < 8; ++i) relative += std::string(50, static_cast<char>('m' + i)) + "/";
  tree.File(relative + "deep.tmp", "1234");
  auto rows = Scan();
  ASSERT_EQ(rows.size(), 1u);
  ASSERT_GT(rows[0].path.size(), static_cast<std::size_t>(MAX_PATH));
  auto results = DeleteItems(rows);
  EXPECT_EQ(results[0].outcome, DeletionOutcome::kDeleted) << results[0].error.message();
  EXPECT_FALSE(Exists(relative + "deep.tmp"));
}

TEST_F(DeletionWin32Test, AnEmptyFolderRowRemovesTheFolderOnlyWhileItIsEmpty) {
  controls.patterns[0] = false;
  controls.check3 = true;  // zero-byte files and empty folders
  tree.Dir("empty");
  tree.Dir("filled later");
  auto rows = Scan();
  ASSERT_EQ(rows.size(), 2u);
  tree.File("filled later/new.txt", "x");
  auto results = DeleteItems({Row(rows, "empty"), Row(rows, "filled later")});
  EXPECT_EQ(results[0].outcome, DeletionOutcome::kDeleted) << results[0].error.message();
  EXPECT_EQ(results[1].failure, DeletionFailure::kNotEmpty) << results[1].error.message();
  EXPECT_FALSE(Exists("empty"));
  EXPECT_TRUE(Exists("filled later/new.txt"));
}

TEST_F(DeletionWin32Test, VanishedEntriesCountAsAlreadyGone) {
  tree.File("gone.tmp");
  auto rows = Scan();
  ASSERT_TRUE(::DeleteFileW(tree.Path("gone.tmp").c_str()));
  EXPECT_EQ(DeleteItems(rows)[0].outcome, DeletionOutcome::kAlreadyGone);
}

// The Recycle Bin through the shell. Where the shell cannot recycle (Wine's IFileOperation is
// not complete in every version), the file must stay: never deleted outright instead.
TEST_F(DeletionWin32Test, TrashingRecyclesTheFileOrLeavesItWhereItIs) {
  tree.File("bin.tmp", "recycle me");
  auto rows = Scan();
  ASSERT_EQ(rows.size(), 1u);
  auto results = DeleteItems(rows, {}, DeletionOptions{true, nullptr});
  ASSERT_EQ(results.size(), 1u);
  if (results[0].outcome == DeletionOutcome::kDeleted) {
    EXPECT_FALSE(Exists("bin.tmp"));
    EXPECT_EQ(results[0].bytes, 10u);
    EXPECT_FALSE(results[0].trash.empty());
    return;
  }
  EXPECT_EQ(results[0].failure, DeletionFailure::kNoTrash) << results[0].error.message();
  EXPECT_TRUE(Exists("bin.tmp"));
  GTEST_SKIP() << "this system's shell cannot recycle (" << results[0].error.message()
               << "); the file was kept, as it must be";
}

}  // namespace
}  // namespace kelvo::cleanup
