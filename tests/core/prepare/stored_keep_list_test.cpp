// The keep-list a removal checks is the one the settings file holds at that moment, and a file
// that cannot be read stops every removal instead of passing for an empty list.
#include "prepare/stored_keep_list.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include "cleanup/removal_gate.h"
#include "settings/keep_list_file.h"
#include "support/temp_tree.h"

namespace kelvo::prepare {
namespace {

using settings::KeepEntry;
using testing::Exists;
using testing::TempTree;

cleanup::DeletionRequest Listed(const NativeString& path) {
  cleanup::DeletionRequest r;
  r.path = path;
  return r;
}

TEST(StoredKeepList, AnEntryAddedBetweenTwoRowsHoldsFromTheNextRow) {
  TempTree t;
  t.File("a.tmp");
  t.File("b.tmp");
  const NativeString ini = t.Path("setting.ini");
  StoredKeepList source(ini, {});
  cleanup::RemovalGate gate({.keep = &source});
  EXPECT_EQ(gate.Pass(Listed(t.Path("a.tmp"))).outcome, cleanup::DeletionOutcome::kDeleted);
  ASSERT_FALSE(settings::WriteKeepList(ini, {{KeepEntry::Kind::kPattern, AsciiToNative("*.tmp")}}));
  EXPECT_EQ(gate.Pass(Listed(t.Path("b.tmp"))).failure, cleanup::DeletionFailure::kKept);
  EXPECT_TRUE(Exists(t.Path("b.tmp")));
}

TEST(StoredKeepList, AFolderOnTheListIsAlsoKnownByItsIdentity) {
  TempTree t;
  t.Dir("photos");
  const scan::KeepList list =
      BuildKeepList({{KeepEntry::Kind::kFolder, t.Path("photos")}}, {AsciiToNative("*.iso")});
  struct stat st;
  ASSERT_EQ(::stat(t.Path("photos").c_str(), &st), 0);
  EXPECT_TRUE(list.KeepsFolder(st.st_dev, st.st_ino));
  EXPECT_TRUE(list.Covers(t.Path("photos/a.jpg")));
  EXPECT_TRUE(list.Covers(t.Path("x/disk.iso")));
}

TEST(StoredKeepList, AnUnreadableFileStopsEveryRemovalAndAMissingOneIsAnEmptyList) {
  TempTree t;
  t.File("a.tmp");
  StoredKeepList missing(t.Path("none.ini"), {});
  ASSERT_TRUE(missing.Current());
  EXPECT_TRUE((*missing.Current())->empty());

  t.Dir("folder.ini");  // a folder where the file should be
  StoredKeepList unreadable(t.Path("folder.ini"), {});
  cleanup::RemovalGate gate({.keep = &unreadable});
  const cleanup::DeletionResult r = gate.Pass(Listed(t.Path("a.tmp")));
  EXPECT_EQ(r.failure, cleanup::DeletionFailure::kKeepListUnreadable);
  EXPECT_TRUE(Exists(t.Path("a.tmp")));
}

}  // namespace
}  // namespace kelvo::prepare
