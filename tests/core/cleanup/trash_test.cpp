// Deleting into the freedesktop.org trash on real trees: where each entry goes, what its
// .trashinfo says, that a restore by moving it back gives the same bytes, and that an entry whose
// mount has no usable trash stays. The mount tests need root and skip where mounting is refused.
#include <sys/mount.h>
#include <unistd.h>

#include <cstdlib>
#include <optional>
#include <regex>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "cleanup/deletion.h"
#include "scan/driver.h"
#include "scan/keep_list.h"
#include "support/file_text.h"
#include "support/recording_scan.h"
#include "support/temp_tree.h"

namespace kelvo::cleanup {
namespace {

using testing::Exists;
using testing::FileText;
using testing::TempTree;

class TrashTest : public ::testing::Test {
 protected:
  TrashTest() {
    if (const char* old = std::getenv("XDG_DATA_HOME")) oldDataHome_ = old;
    ::setenv("XDG_DATA_HOME", data.root().c_str(), 1);
    controls.patterns[0] = true;  // *.tmp
    controls.check2 = true;       // everything in temp folders
  }
  ~TrashTest() override {
    for (auto it = mounts_.rbegin(); it != mounts_.rend(); ++it) ::umount2(it->c_str(), MNT_DETACH);
    if (oldDataHome_)
      ::setenv("XDG_DATA_HOME", oldDataHome_->c_str(), 1);
    else
      ::unsetenv("XDG_DATA_HOME");
  }

  std::vector<DeletionRequest> Scan(const std::vector<std::string>& relativeRoots = {""}) {
    controls.rows.clear();
    controls.driveKeys.clear();
    for (const std::string& r : relativeRoots) controls.driveKeys.push_back(tree.Path(r));
    scan::ScanState state;
    testing::RunScan(state, controls, platform::NativeFileSystem());
    std::vector<DeletionRequest> rows;
    for (auto it = controls.rows.rbegin(); it != controls.rows.rend(); ++it)
      rows.push_back(RequestFor(*it));
    return rows;
  }

  bool Mount(const std::string& relative, unsigned long flags = 0) {
    tree.Dir(relative);
    if (::mount("kelvo-trash-test", tree.Path(relative).c_str(), "tmpfs", flags, nullptr) != 0)
      return false;
    mounts_.push_back(tree.Path(relative));
    return true;
  }

  std::vector<DeletionResult> Trash(const std::vector<DeletionRequest>& rows,
                                    const scan::KeepList* keep = nullptr) {
    return DeleteItems(rows, {}, DeletionOptions{true, keep});
  }

  TempTree data;  // $XDG_DATA_HOME, on the same file system as the tree
  TempTree tree;
  testing::RecordingScan controls;
  const std::string uid = std::to_string(::geteuid());

 private:
  std::optional<std::string> oldDataHome_;
  std::vector<std::string> mounts_;
};

TEST_F(TrashTest, AFileGoesToTheHomeTrashWithItsInfoAndComesBackByteForByte) {
  const std::string name = "r\xE9sum\xC3\xA9 100%.tmp";  // a Latin-1 byte, UTF-8, a blank, a %
  const std::string content("\0bytes\xFF\n", 8);
  tree.File("docs/" + name, content);
  auto rows = Scan();
  ASSERT_EQ(rows.size(), 1u);
  auto results = Trash(rows);
  ASSERT_EQ(results[0].outcome, DeletionOutcome::kDeleted) << results[0].error.message();
  EXPECT_EQ(results[0].trash, data.Path("Trash"));
  EXPECT_EQ(results[0].bytes, content.size());
  EXPECT_FALSE(Exists(tree.Path("docs/" + name)));
  const std::string info = FileText(data.Path("Trash/info/" + name + ".trashinfo"));
  const std::regex form(
      "\\[Trash Info\\]\nPath=(.*)\nDeletionDate=\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d\n");
  std::smatch m;
  ASSERT_TRUE(std::regex_match(info, m, form)) << info;
  EXPECT_EQ(m[1].str(), tree.Path("docs/r%E9sum%C3%A9%20100%25.tmp"));
  // What a file manager does to restore it.
  ASSERT_EQ(::rename(data.Path("Trash/files/" + name).c_str(), tree.Path("docs/" + name).c_str()),
            0);
  EXPECT_EQ(FileText(tree.Path("docs/" + name)), content);
}

TEST_F(TrashTest, ANameAlreadyInTheTrashGetsANewOneAndEachInfoNamesItsOwnFile) {
  tree.File("a/x.tmp", "first");
  tree.File("b/x.tmp", "second");
  auto results = Trash(Scan());
  ASSERT_EQ(results.size(), 2u);
  for (const auto& r : results) EXPECT_EQ(r.outcome, DeletionOutcome::kDeleted);
  const std::string one = FileText(data.Path("Trash/files/x.tmp"));
  const std::string two = FileText(data.Path("Trash/files/x.tmp.2"));
  EXPECT_NE(one, two);
  const std::string path1 = one == "first" ? tree.Path("a/x.tmp") : tree.Path("b/x.tmp");
  EXPECT_THAT(FileText(data.Path("Trash/info/x.tmp.trashinfo")),
              ::testing::HasSubstr("Path=" + path1 + "\n"));
}

TEST_F(TrashTest, AFileOnAnotherMountGoesToThatMountsOwnTrashNeverAcross) {
  if (!Mount("usb")) GTEST_SKIP() << "mounting a tmpfs is not permitted here";
  tree.File("usb/temp/a.log", "on the stick");
  auto results = Trash(Scan({"usb/"}));
  ASSERT_EQ(results.size(), 1u);
  ASSERT_EQ(results[0].outcome, DeletionOutcome::kDeleted) << results[0].error.message();
  const std::string bin = tree.Path("usb/.Trash-" + uid);
  EXPECT_EQ(results[0].trash, bin);
  EXPECT_EQ(FileText(bin + "/files/a.log"), "on the stick");
  EXPECT_THAT(FileText(bin + "/info/a.log.trashinfo"), ::testing::HasSubstr("\nPath=temp/a.log\n"));
  EXPECT_FALSE(Exists(data.Path("Trash/files/a.log")));
}

TEST_F(TrashTest, ASharedTrashIsUsedOnlyWhenItIsAStickyFolderAndNoLink) {
  if (!Mount("m1") || !Mount("m2") || !Mount("m3")) GTEST_SKIP() << "mounting is not permitted";
  tree.Dir("elsewhere", 01777);
  tree.Symlink(tree.Path("elsewhere"), "m1/.Trash");  // a link: passed over
  tree.Dir("m2/.Trash", 0777);                        // not sticky: passed over
  tree.Dir("m3/.Trash", 01777);                       // as it should be
  for (const char* m : {"m1", "m2", "m3"}) tree.File(std::string(m) + "/temp/f.log", m);
  auto results = Trash(Scan({"m1/", "m2/", "m3/"}));
  ASSERT_EQ(results.size(), 3u);
  for (const auto& r : results) EXPECT_EQ(r.outcome, DeletionOutcome::kDeleted);
  EXPECT_EQ(FileText(tree.Path("m1/.Trash-" + uid + "/files/f.log")), "m1");
  EXPECT_EQ(FileText(tree.Path("m2/.Trash-" + uid + "/files/f.log")), "m2");
  EXPECT_EQ(FileText(tree.Path("m3/.Trash/" + uid + "/files/f.log")), "m3");
  EXPECT_FALSE(Exists(tree.Path("elsewhere/" + uid)));
}

TEST_F(TrashTest, AFileWhoseMountHasNoUsableTrashStaysAndSaysWhy) {
  if (!Mount("ro")) GTEST_SKIP() << "mounting a tmpfs is not permitted here";
  tree.File("ro/temp/keep.log", "still here");
  auto rows = Scan({"ro/"});
  ASSERT_EQ(::mount(nullptr, tree.Path("ro").c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr), 0);
  auto results = Trash(rows);
  ASSERT_EQ(results.size(), 1u);
  EXPECT_EQ(results[0].failure, DeletionFailure::kNoTrash);
  EXPECT_EQ(FileText(tree.Path("ro/temp/keep.log")), "still here");
}

TEST_F(TrashTest, ARowKeptSinceTheScanIsRefusedWhenItsTurnComes) {
  tree.File("proj/a.tmp");
  tree.File("other/b.tmp");
  auto rows = Scan();
  ASSERT_EQ(rows.size(), 2u);
  scan::KeepList keep;
  keep.AddPattern("**/proj");
  for (bool toTrash : {true, false}) {
    auto results = DeleteItems(rows, {}, DeletionOptions{toTrash, &keep});
    for (std::size_t i = 0; i < rows.size(); ++i) {
      if (NativeToUtf8(rows[i].path) == tree.Path("proj/a.tmp")) {
        EXPECT_EQ(results[i].failure, DeletionFailure::kKept);
      }
    }
  }
  EXPECT_TRUE(Exists(tree.Path("proj/a.tmp")));
  EXPECT_FALSE(Exists(tree.Path("other/b.tmp")));
}

}  // namespace
}  // namespace kelvo::cleanup
