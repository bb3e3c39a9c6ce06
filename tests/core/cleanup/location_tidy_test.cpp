// After deleting rows of a junk location: the folders it emptied go, one at a time and only while
// empty, never the location's own folder; a trashed item's description goes with the item.
#include <gtest/gtest.h>

#include "cleanup/deletion.h"
#include "scan/locations.h"
#include "support/temp_tree.h"

namespace kelvo::cleanup {
namespace {

using testing::Exists;
using testing::TempTree;

DeletionRequest LocationRow(const TempTree& t, const std::string& root, const std::string& path,
                            int location) {
  scan::JunkItem item;
  item.fullPath = Utf8ToNative(t.Path(path));
  item.root = Utf8ToNative(t.Path(root));
  item.rule = scan::LocationRule(location);
  return RequestFor(item);
}

TEST(LocationTidyTest, EmptiedFoldersGoUpToButNotIncludingTheLocation) {
  TempTree t;
  t.File("cache/a/b/c/entry");
  t.File("cache/a/keep");
  t.File("cache/lone/file");
  const auto results = DeleteItems({LocationRow(t, "cache/", "cache/a/b/c/entry", scan::kAppCache),
                                    LocationRow(t, "cache/", "cache/lone/file", scan::kAppCache)});
  ASSERT_EQ(results.size(), 2u);
  EXPECT_EQ(results[0].outcome, DeletionOutcome::kDeleted);
  EXPECT_FALSE(Exists(t.Path("cache/a/b")));
  EXPECT_TRUE(Exists(t.Path("cache/a/keep")));
  EXPECT_FALSE(Exists(t.Path("cache/lone")));
  EXPECT_TRUE(Exists(t.Path("cache")));

  // A rule's row outside any location leaves its folders alone.
  t.File("disk/sub/x.tmp");
  DeletionRequest plain = LocationRow(t, "disk/", "disk/sub/x.tmp", scan::kAppCache);
  plain.tidy = Tidy::kNone;
  DeleteItems({plain});
  EXPECT_TRUE(Exists(t.Path("disk/sub")));
}

TEST(LocationTidyTest, TrashedItemsTakeTheirDescriptionWhenGoneWhole) {
  TempTree t;
  t.File("Trash/files/report.odt");
  t.File("Trash/info/report.odt.trashinfo");
  t.File("Trash/files/project/notes.txt");
  t.File("Trash/files/project/src/main.c");
  t.File("Trash/info/project.trashinfo");
  DeleteItems({LocationRow(t, "Trash/files/", "Trash/files/report.odt", scan::kTrash)});
  EXPECT_FALSE(Exists(t.Path("Trash/info/report.odt.trashinfo")));

  // Half of a trashed folder: the item is still there, and so is its description.
  DeleteItems({LocationRow(t, "Trash/files/", "Trash/files/project/src/main.c", scan::kTrash)});
  EXPECT_FALSE(Exists(t.Path("Trash/files/project/src")));
  EXPECT_TRUE(Exists(t.Path("Trash/info/project.trashinfo")));
  DeleteItems({LocationRow(t, "Trash/files/", "Trash/files/project/notes.txt", scan::kTrash)});
  EXPECT_FALSE(Exists(t.Path("Trash/files/project")));
  EXPECT_FALSE(Exists(t.Path("Trash/info/project.trashinfo")));
  EXPECT_TRUE(Exists(t.Path("Trash/files")));
  EXPECT_TRUE(Exists(t.Path("Trash/info")));

  // Rows of the info folder are no items: nothing else goes with them.
  t.File("Trash/info/other.trashinfo");
  t.File("Trash/files/other");
  DeleteItems({LocationRow(t, "Trash/info/", "Trash/info/other.trashinfo", scan::kTrash)});
  EXPECT_TRUE(Exists(t.Path("Trash/files/other")));
}

}  // namespace
}  // namespace kelvo::cleanup
