// Files that a package's scripts made in its folders: listed by no package, kept like its files.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/file_system.h"
#include "scan/driver.h"
#include "scan/package_filter.h"
#include "support/recording_scan.h"
#include "support/temp_tree.h"

namespace kelvo::scan {
namespace {

using testing::RecordingScan;
using testing::TempTree;
using ::testing::UnorderedElementsAre;

// A system in a temporary folder whose usr/, etc/ and var/lib/ stand in for the system's trees.
class PackageFolders : public ::testing::Test {
 protected:
  void SetUp() override {
    sys_.File("usr/share/fonts/X11/Type1/fonts.dir", "c");      // a trigger's index
    sys_.File("usr/share/fonts/X11/Type1/encodings.dir", "c");  // idem
    sys_.File("usr/share/fonts/X11/Type1/c0419bt_.pfb", "c");
    sys_.File("etc/xml/catalog.old", "c");       // a maintainer script's backup
    sys_.File("etc/stray.bak", "c");             // right in a tree's top, owned by a base package
    sys_.File("usr/local/mine/notes.old", "c");  // a folder no package owns
    sys_.File("var/lib/systemd/coredump/core.old", "c");
    sys_.File("var/cache/app/stale.tmp", "c");   // outside the trees
    sys_.File("usrx/share/fonts.old", "c");      // a name that only starts like a tree
    sys_.File("home/ann/fonts/fonts.dir", "c");  // a font tool's index in no package's folder
    sys_.File("home/ann/fonts/setup.dir", "c");
    const std::string r = sys_.root();
    std::string list;
    for (const char* p :
         {"etc", "etc/xml", "usr", "usr/share", "usr/share/fonts", "usr/share/fonts/X11/Type1",
          "usr/share/fonts/X11/Type1/c0419bt_.pfb", "var", "var/lib", "var/lib/systemd/coredump",
          "var/cache/app", "usrx", "usrx/share"})
      list += r + p + "\n";
    db_.File("var/lib/dpkg/info/fonts.list", list);
  }

  PackageFilter Filter() {
    return PackageFilter({db_.root(), false, {}},
                         {sys_.Path("usr/"), sys_.Path("etc/"), sys_.Path("var/lib/")});
  }

  TempTree sys_;
  TempTree db_;
};

TEST_F(PackageFolders, AFileInAPackagesFolderIsThePackagesBelowTheTreesOnly) {
  PackageFilter filter = Filter();
  EXPECT_TRUE(filter.KeepsOut(sys_.Path("usr/share/fonts/X11/Type1/fonts.dir")));
  EXPECT_TRUE(filter.KeepsOut(sys_.Path("usr/share/fonts/X11/Type1/encodings.dir")));
  EXPECT_TRUE(filter.KeepsOut(sys_.Path("etc/xml/catalog.old")));
  EXPECT_TRUE(filter.KeepsOut(sys_.Path("etc/stray.bak")));
  EXPECT_FALSE(filter.KeepsOut(sys_.Path("usr/local/mine/notes.old")));
  EXPECT_FALSE(filter.KeepsOut(sys_.Path("var/cache/app/stale.tmp")));
  EXPECT_FALSE(filter.KeepsOut(sys_.Path("usrx/share/fonts.old")));
  // Font indexes are never install leftovers, wherever they are.
  EXPECT_TRUE(filter.KeepsOut(sys_.Path("home/ann/fonts/fonts.dir")));
  EXPECT_FALSE(filter.KeepsOut(sys_.Path("home/ann/fonts/setup.dir")));
  EXPECT_FALSE(filter.KeepsOut(sys_.Path("home/ann/fonts/fonts.dir"),
                               PackageFilter::PathForm::kAsGiven, PackageFilter::Hit::kInLocation));
  // A folder hit: its own folder decides, whatever the final separator.
  EXPECT_TRUE(filter.KeepsOut(sys_.Path("usr/share/fonts/X11/")));
  EXPECT_FALSE(filter.KeepsOut(sys_.Path("usr/local/mine/")));
  // A junk location's folder was chosen for its junk: only what a package lists is kept there.
  EXPECT_TRUE(filter.KeepsOut(sys_.Path("var/lib/systemd/coredump/core.old")));
  EXPECT_FALSE(filter.KeepsOut(sys_.Path("var/lib/systemd/coredump/core.old"),
                               PackageFilter::PathForm::kAsGiven, PackageFilter::Hit::kInLocation));
  EXPECT_TRUE(filter.KeepsOut(sys_.Path("usr/share/fonts/X11/Type1/c0419bt_.pfb"),
                              PackageFilter::PathForm::kAsGiven, PackageFilter::Hit::kInLocation));
  EXPECT_EQ(filter.Kept(), 8u);
}

TEST_F(PackageFolders, AScanOffersNoIndexNorBackupAScriptMade) {
  PackageFilter filter = Filter();
  RecordingScan controls;
  controls.TickAllPatterns(true);
  controls.driveKeys = {sys_.root()};
  ScanState state;
  state.packageFiles = &filter;
  RunScan(state, controls, platform::NativeFileSystem());
  std::vector<std::string> paths;
  for (const auto& row : controls.rows) paths.push_back(row.fullPath);
  EXPECT_THAT(paths, UnorderedElementsAre(sys_.Path("usr/local/mine/notes.old"),
                                          sys_.Path("var/cache/app/stale.tmp"),
                                          sys_.Path("usrx/share/fonts.old"),
                                          sys_.Path("home/ann/fonts/setup.dir")));
  EXPECT_EQ(filter.Kept(), 6u);  // counted with the listed files, under the same words
}

TEST(PackageFolderTrees, TheSystemsTreesLeaveTheJunkLocationsOut) {
  std::vector<std::string> trees;
  for (const NativeString& t : SystemPackageTrees()) trees.push_back(NativeToUtf8(t));
  EXPECT_THAT(trees, UnorderedElementsAre("/usr/", "/etc/", "/boot/", "/opt/", "/var/lib/"));
}

}  // namespace
}  // namespace kelvo::scan
