#include "scan/package_filter.h"

#include <sys/mount.h>

#include <cerrno>
#include <cstring>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/file_system.h"
#include "platform/mount_paths.h"
#include "scan/driver.h"
#include "support/recording_scan.h"
#include "support/temp_tree.h"

namespace kelvo::scan {
namespace {

using testing::RecordingScan;
using testing::TempTree;
using ::testing::UnorderedElementsAre;

// A merged-/usr system in a temporary folder, "lib" a link to "usr/lib", with package lists that
// name its files the way each package manager does.
class PackageFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    sys_.File("usr/lib/x86_64-linux-gnu/libfreebl3.chk", "c");
    sys_.File("usr/lib/x86_64-linux-gnu/mine.chk", "c");
    sys_.File("usr/share/X11/locale/compose.dir", "c");
    sys_.File("usr/share/X11/locale/locale.dir", "c");
    sys_.File("usr/share/fonts/fonts.dir", "c");
    sys_.File("usr/share/notes.bak", "c");
    sys_.Symlink("usr/lib", "lib");
    const std::string r = sys_.root();
    db_.File("var/lib/dpkg/info/libnss3:amd64.list",
             "/.\n" + r + "lib\n" + r + "lib/x86_64-linux-gnu/libfreebl3.chk\n");
    db_.File("var/lib/dpkg/info/libx11-data.list", r + "usr/share/X11/locale/compose.dir\n");
    db_.File("var/lib/dpkg/info/libx11-data.md5sums", r + "usr/share/notes.bak\n");
    db_.File("var/lib/pacman/local/xorg-1.0/files",
             "%FILES%\n" + r.substr(1) + "usr/share/X11/locale/locale.dir\n\n%BACKUP%\nx\n");
    db_.File("lib/apk/db/installed",
             "P:fonts\nF:" + r.substr(1) + "usr/share/fonts\nR:fonts.dir\n\n");
  }

  TempTree sys_;
  TempTree db_;
};

TEST_F(PackageFiles, EachManagersListsAreReadInCanonicalForm) {
  PackageFilter filter({db_.root(), false, {}});
  const std::string r = sys_.root();
  EXPECT_TRUE(filter.KeepsOut(r + "usr/lib/x86_64-linux-gnu/libfreebl3.chk"));
  EXPECT_TRUE(filter.KeepsOut(r + "lib/x86_64-linux-gnu/libfreebl3.chk"));
  EXPECT_TRUE(filter.KeepsOut(r + "usr/share/X11/locale/compose.dir"));
  EXPECT_TRUE(filter.KeepsOut(r + "usr/share/X11/locale/locale.dir"));
  EXPECT_TRUE(filter.KeepsOut(r + "usr/share/fonts/fonts.dir"));
  EXPECT_FALSE(filter.KeepsOut(r + "usr/lib/x86_64-linux-gnu/mine.chk"));
  EXPECT_FALSE(filter.KeepsOut(r + "usr/share/notes.bak"));  // only *.list files are lists
  EXPECT_FALSE(filter.KeepsOut(r + "usr/share/X11/locale/compose"));
  EXPECT_EQ(filter.Kept(), 5u);
}

TEST_F(PackageFiles, AScanKeepsPackageFilesOutOfItsRows) {
  RecordingScan controls;
  controls.TickAllPatterns(true);
  controls.driveKeys = {sys_.root()};
  PackageFilter filter({db_.root(), false, {}});
  ScanState state;
  state.packageFiles = &filter;
  RunScan(state, controls, platform::NativeFileSystem());
  std::vector<std::string> paths;
  for (const auto& row : controls.rows) paths.push_back(row.fullPath);
  EXPECT_THAT(paths, UnorderedElementsAre(sys_.Path("usr/lib/x86_64-linux-gnu/mine.chk"),
                                          sys_.Path("usr/share/notes.bak")));
  EXPECT_EQ(filter.Kept(), 4u);

  // Through the link: the rows carry the resolved path, which the lists name.
  RecordingScan throughLink;
  throughLink.TickAllPatterns(true);
  throughLink.driveKeys = {sys_.Path("lib")};
  RunScan(state, throughLink, platform::NativeFileSystem());
  ASSERT_EQ(throughLink.rows.size(), 1u);
  EXPECT_EQ(throughLink.rows[0].fullPath, sys_.Path("usr/lib/x86_64-linux-gnu/mine.chk"));
  EXPECT_EQ(filter.Kept(), 5u);
}

// A bind mount shows the same files at another path; the lists name them at their own.
TEST_F(PackageFiles, ThroughABindMountPackageFilesAreStillKeptOut) {
  sys_.Dir("bound");
  const std::string bound = sys_.Path("bound");
  if (::mount(sys_.Path("usr").c_str(), bound.c_str(), nullptr, MS_BIND, nullptr) != 0) {
    GTEST_SKIP() << "cannot bind-mount here: " << std::strerror(errno);
  }
  struct Unmount {
    std::string at;
    ~Unmount() { ::umount2(at.c_str(), MNT_DETACH); }
  } unmount{bound};
  EXPECT_EQ(platform::MountPaths::Current().PathOnPrimaryMount(bound + "/share/fonts/fonts.dir"),
            sys_.Path("usr/share/fonts/fonts.dir"));

  PackageFilter filter({db_.root(), false, {}});
  EXPECT_TRUE(filter.KeepsOut(bound + "/share/fonts/fonts.dir"));
  EXPECT_TRUE(
      filter.KeepsOut(bound + "/share/X11/locale/compose.dir", PackageFilter::PathForm::kResolved));
  EXPECT_FALSE(filter.KeepsOut(bound + "/share/notes.bak"));

  RecordingScan controls;
  controls.TickAllPatterns(true);
  controls.driveKeys = {bound + "/"};
  ScanState state;
  state.packageFiles = &filter;
  RunScan(state, controls, platform::NativeFileSystem());
  std::vector<std::string> paths;
  for (const auto& row : controls.rows) paths.push_back(row.fullPath);
  EXPECT_THAT(paths, UnorderedElementsAre(bound + "/lib/x86_64-linux-gnu/mine.chk",
                                          bound + "/share/notes.bak"));
}

// The counter is refreshed before each entry's rules; the last entry's row still counts.
TEST(ScanDriver, TheJunkCounterEndsAtTheRowCount) {
  TempTree tree;
  tree.File("only.tmp");
  RecordingScan controls;
  controls.TickAllPatterns(true);
  controls.driveKeys = {tree.root()};
  ScanState state;
  RunScan(state, controls, platform::NativeFileSystem());
  ASSERT_EQ(controls.rows.size(), 1u);
  EXPECT_EQ(controls.junkCount, 1u);
}

TEST(PackageFileIndex, SortedDeduplicatedExact) {
  platform::PackageFileIndex index;
  for (const char* p : {"/usr/b", "/usr/a", "/usr/b", "/usr"}) index.Add(p);
  index.Finish();
  EXPECT_EQ(index.size(), 3u);
  EXPECT_TRUE(index.Contains("/usr"));
  EXPECT_TRUE(index.Contains("/usr/a"));
  EXPECT_FALSE(index.Contains("/usr/"));
  EXPECT_FALSE(index.Contains("/usr/c"));
}

}  // namespace
}  // namespace kelvo::scan
