// The removal gate on real trees, as root: what it refuses in every mode (delete, trash, dry run)
// whatever the row says, and that a dry run is exactly the plan of the real run.
#include "cleanup/removal_gate.h"

#include <fcntl.h>
#include <stdio.h>  // renameat2
#include <sys/mount.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <optional>
#include <thread>

#include <gtest/gtest.h>

#include "scan/keep_list.h"
#include "scan/package_filter.h"
#include "support/file_text.h"
#include "support/temp_tree.h"

namespace kelvo::cleanup {
namespace {

using testing::Exists;
using testing::TempTree;

scan::EntryIdentity IdentityOf(const std::string& path) {
  struct stat st;
  EXPECT_EQ(::lstat(path.c_str(), &st), 0) << path;
  scan::EntryIdentity id;
  id.device = st.st_dev;
  id.inode = st.st_ino;
  id.type = S_ISDIR(st.st_mode)   ? platform::EntryType::kDirectory
            : S_ISREG(st.st_mode) ? platform::EntryType::kFile
            : S_ISLNK(st.st_mode) ? platform::EntryType::kSymlink
                                  : platform::EntryType::kOther;
  if (id.type != platform::EntryType::kDirectory)
    id.modified = std::int64_t{st.st_mtim.tv_sec} * 1'000'000'000 + st.st_mtim.tv_nsec;
  return id;
}

class GateTest : public ::testing::Test {
 protected:
  GateTest() {
    if (const char* old = std::getenv("XDG_DATA_HOME")) oldDataHome_ = old;
    ::setenv("XDG_DATA_HOME", data.root().c_str(), 1);
  }
  ~GateTest() override {
    for (auto it = mounts_.rbegin(); it != mounts_.rend(); ++it) ::umount2(it->c_str(), MNT_DETACH);
    if (oldDataHome_)
      ::setenv("XDG_DATA_HOME", oldDataHome_->c_str(), 1);
    else
      ::unsetenv("XDG_DATA_HOME");
  }

  // A scanned row: root, identity and size as the scan saw them.
  DeletionRequest Row(const std::string& relative, const std::string& root = "") {
    DeletionRequest r;
    r.path = tree.Path(relative);
    r.root = tree.Path(root);
    r.identity = IdentityOf(r.path);
    r.emptyFolder = r.identity->type == platform::EntryType::kDirectory;
    if (!r.emptyFolder) r.size = testing::FileText(r.path).size();
    return r;
  }
  // A row of a plain or NUL list: the path only, walked from the top of the file system.
  DeletionRequest Listed(const std::string& relative) {
    DeletionRequest r;
    r.path = tree.Path(relative);
    r.emptyFolder = !relative.empty() && relative.back() == '/';
    return r;
  }

  DeletionResult Pass(const DeletionRequest& row, GateChoices choices = {}) {
    RemovalGate gate(choices);
    return gate.Pass(row);
  }

  bool BindMount(const std::string& from, const std::string& to) {
    tree.Dir(to);
    if (::mount(tree.Path(from).c_str(), tree.Path(to).c_str(), nullptr, MS_BIND, nullptr) != 0)
      return false;
    mounts_.push_back(tree.Path(to));
    return true;
  }

  bool TrashHolds(const std::string& name) const {
    return Exists(data.Path("Trash/files/" + name));
  }

  TempTree data;  // $XDG_DATA_HOME, so the home trash lies on the tree's file system
  TempTree tree;
  const GateChoices trash{.toTrash = true};
  const GateChoices dryRun{.dryRun = true};

 private:
  std::optional<std::string> oldDataHome_;
  std::vector<std::string> mounts_;
};

TEST_F(GateTest, AFolderIsNeverMovedIntoTheTrashOnlyRemovedWhileEmpty) {
  tree.Dir("empty");
  tree.Dir("filled later");
  const DeletionRequest empty = Row("empty");
  const DeletionRequest filled = Row("filled later");
  tree.File("filled later/new.odt", "written after the scan");
  tree.File("usr/bin/tool", "a program");

  const DeletionResult later = Pass(filled, trash);
  EXPECT_EQ(later.failure, DeletionFailure::kNotEmpty);
  EXPECT_TRUE(Exists(tree.Path("filled later/new.odt")));
  // A plain list's "folder/" names a folder to remove only while empty, trash or not.
  for (const GateChoices& mode : {trash, dryRun})
    EXPECT_EQ(Pass(Listed("usr/"), mode).failure, DeletionFailure::kNotEmpty);
  EXPECT_TRUE(Exists(tree.Path("usr/bin/tool")));

  const DeletionResult removed = Pass(empty, trash);
  EXPECT_EQ(removed.outcome, DeletionOutcome::kDeleted);
  EXPECT_FALSE(removed.intoTrash);  // rmdir: there is nothing to restore
  EXPECT_FALSE(Exists(tree.Path("empty")));
  EXPECT_FALSE(TrashHolds("empty"));
  EXPECT_FALSE(TrashHolds("filled later"));
  EXPECT_FALSE(TrashHolds("usr"));
}

TEST_F(GateTest, TheTidyStepAfterATrashedRowRemovesEmptyFoldersAndMovesNothing) {
  tree.File("cache/app/sub/old.bin", "junk");
  tree.File("cache/app/gone/old.bin", "junk");
  DeletionRequest stays = Row("cache/app/sub/old.bin", "cache/");
  DeletionRequest empties = Row("cache/app/gone/old.bin", "cache/");
  stays.tidy = empties.tidy = Tidy::kEmptyFolders;
  tree.File("cache/app/sub/fresh.bin", "written after the scan");
  tree.Dir("cache/app/sub/kept");
  scan::KeepList keep;
  keep.AddFolder(tree.Path("cache/app/sub/kept"));
  FixedKeepList source(keep);
  GateChoices choices = trash;
  choices.keep = &source;
  RemovalGate gate(choices);
  EXPECT_EQ(gate.Pass(stays).outcome, DeletionOutcome::kDeleted);
  EXPECT_EQ(gate.Pass(empties).outcome, DeletionOutcome::kDeleted);

  EXPECT_TRUE(Exists(tree.Path("cache/app/sub/fresh.bin")));
  EXPECT_TRUE(Exists(tree.Path("cache/app/sub/kept")));
  EXPECT_FALSE(Exists(tree.Path("cache/app/gone")));  // emptied by the row: removed, not moved
  EXPECT_TRUE(Exists(tree.Path("cache/app")));
  EXPECT_TRUE(TrashHolds("old.bin"));
  EXPECT_TRUE(TrashHolds("old.bin.2"));
  EXPECT_FALSE(TrashHolds("sub"));
  EXPECT_FALSE(TrashHolds("gone"));
  EXPECT_EQ(gate.Tally().Of(TallyKind::kMoved).entries, 2u);
}

TEST_F(GateTest, WhatIsInATrashIsDeletedForGoodWithItsInfoAndAnInfoGoesOnlyWithItsItem) {
  tree.File("home/Trash/files/huge-backup.bak", "old");
  tree.File("home/Trash/info/huge-backup.bak.trashinfo", "[Trash Info]\nPath=/x.bak\n");
  tree.File("home/Trash/files/project/a.bak", "old");
  tree.File("home/Trash/info/project.trashinfo", "[Trash Info]\nPath=/project\n");
  // Listed by a name rule with the tree as its root, not as a row of the trash location.
  const DeletionRequest item = Row("home/Trash/files/huge-backup.bak");
  const DeletionRequest inside = Row("home/Trash/files/project/a.bak");
  const DeletionRequest info = Row("home/Trash/info/project.trashinfo");

  EXPECT_EQ(Pass(info, trash).failure, DeletionFailure::kTrashItemRemains);
  EXPECT_EQ(Pass(info, dryRun).failure, DeletionFailure::kTrashItemRemains);
  const DeletionResult r = Pass(item, trash);
  EXPECT_EQ(r.outcome, DeletionOutcome::kDeleted);
  EXPECT_FALSE(r.intoTrash);
  EXPECT_FALSE(Exists(tree.Path("home/Trash/files/huge-backup.bak")));
  EXPECT_FALSE(Exists(tree.Path("home/Trash/info/huge-backup.bak.trashinfo")));
  EXPECT_FALSE(TrashHolds("huge-backup.bak"));
  EXPECT_FALSE(TrashHolds("huge-backup.bak.2"));

  // The last file of a trashed folder takes the folder and then its description along.
  EXPECT_EQ(Pass(inside, trash).outcome, DeletionOutcome::kDeleted);
  EXPECT_FALSE(Exists(tree.Path("home/Trash/files/project")));
  EXPECT_FALSE(Exists(tree.Path("home/Trash/info/project.trashinfo")));
  EXPECT_TRUE(Exists(tree.Path("home/Trash/files")));
}

TEST_F(GateTest, DevicesFifosAndSocketsAreNeverRemovedInAnyMode) {
  ASSERT_EQ(::mkfifo(tree.Path("pipe").c_str(), 0600), 0);
  const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  const std::string socketPath = tree.Path("sock");
  ASSERT_LT(socketPath.size(), sizeof addr.sun_path);
  socketPath.copy(addr.sun_path, socketPath.size());
  ASSERT_EQ(::bind(sock, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
  for (const GateChoices& mode : {GateChoices{}, trash, dryRun})
    for (const char* name : {"pipe", "sock"}) {
      EXPECT_EQ(Pass(Listed(name), mode).failure, DeletionFailure::kWrongKind) << name;
      EXPECT_TRUE(Exists(tree.Path(name)));
    }
  ::close(sock);
}

TEST_F(GateTest, ADryRunPassesExactlyWhatTheRealRunRemovesAndRemovesNothing) {
  tree.File("a.tmp", "junk");
  tree.File("grown.tmp", "junk");
  tree.File("kept/b.tmp", "kept");
  tree.Dir("full");
  ::mkfifo(tree.Path("fifo").c_str(), 0600);
  std::vector<DeletionRequest> rows = {
      Row("a.tmp", ""), Row("grown.tmp", ""), Row("kept/b.tmp"), Row("full"),
      Listed("fifo"),   Listed("x/../a.tmp"), Listed("gone.tmp")};
  tree.File("grown.tmp", "junk and more");
  tree.File("full/new", "x");
  scan::KeepList keep;
  keep.AddFolder(tree.Path("kept"));
  FixedKeepList source(keep);
  auto passed = [&](GateChoices choices) {
    choices.keep = &source;
    RemovalGate gate(choices);
    std::vector<NativeString> out;
    for (const auto& row : rows)
      if (gate.Pass(row).outcome == DeletionOutcome::kDeleted) out.push_back(row.path);
    return out;
  };
  const std::vector<NativeString> plan = passed(dryRun);
  EXPECT_TRUE(Exists(tree.Path("a.tmp")));
  EXPECT_EQ(plan, std::vector<NativeString>{tree.Path("a.tmp")});
  EXPECT_EQ(passed({}), plan);
  EXPECT_FALSE(Exists(tree.Path("a.tmp")));
  EXPECT_TRUE(Exists(tree.Path("grown.tmp")));
  EXPECT_TRUE(Exists(tree.Path("kept/b.tmp")));
}

TEST_F(GateTest, AKeptFolderIsKeptThroughABindMountAndPackageFilesWhateverTheList) {
  tree.File("photos/holiday.tmp", "precious");
  tree.File("sys/usr/bin/ls.tmp", "owned");
  TempTree db;
  db.File("var/lib/dpkg/info/coreutils.list", tree.Path("sys/usr/bin/ls.tmp") + "\n");
  scan::PackageFilter packages({db.root(), false, {}});
  GateChoices choices;
  choices.packageFiles = &packages;
  EXPECT_EQ(Pass(Listed("sys/usr/bin/ls.tmp"), choices).failure, DeletionFailure::kPackageFile);
  EXPECT_TRUE(Exists(tree.Path("sys/usr/bin/ls.tmp")));

  if (!BindMount("photos", "bound")) GTEST_SKIP() << "bind mounts are not permitted here";
  scan::KeepList keep;
  keep.AddFolder(tree.Path("photos"));
  struct stat st;
  ASSERT_EQ(::stat(tree.Path("photos").c_str(), &st), 0);
  keep.AddFolderIdentity(st.st_dev, st.st_ino);
  FixedKeepList source(keep);
  choices.keep = &source;
  // Reached through the mount as a scan root, as a list row, and as the folder above a root.
  EXPECT_EQ(Pass(Row("bound/holiday.tmp", "bound/"), choices).failure, DeletionFailure::kKept);
  EXPECT_EQ(Pass(Listed("bound/holiday.tmp"), choices).failure, DeletionFailure::kKept);
  tree.File("bound/sub/deeper.tmp", "precious");
  EXPECT_EQ(Pass(Row("bound/sub/deeper.tmp", "bound/sub/"), choices).failure,
            DeletionFailure::kKept);
  EXPECT_TRUE(Exists(tree.Path("photos/holiday.tmp")));
  EXPECT_TRUE(Exists(tree.Path("photos/sub/deeper.tmp")));
}

TEST_F(GateTest, AFolderSwappedInJustBeforeTheRenameIsPutBack) {
  // renameat2(RENAME_EXCHANGE) races the trash move; whoever wins, no folder may end up in the
  // trash and nothing of the folder may be lost.
  for (int run = 0; run < 60; ++run) {
    const std::string name = "f" + std::to_string(run);
    tree.File(name + ".tmp", "junk");
    tree.File(name + "-dir/precious.odt", "mine");
    const DeletionRequest row = Row(name + ".tmp");
    std::atomic<bool> go{false};
    std::thread swapper([&] {
      while (!go.load()) {
      }
      ::renameat2(AT_FDCWD, tree.Path(name + ".tmp").c_str(), AT_FDCWD,
                  tree.Path(name + "-dir").c_str(), RENAME_EXCHANGE);
    });
    go.store(true);
    const DeletionResult r = Pass(row, trash);
    swapper.join();
    const bool atOwnName = Exists(tree.Path(name + ".tmp/precious.odt"));
    const bool atOtherName = Exists(tree.Path(name + "-dir/precious.odt"));
    EXPECT_TRUE(atOwnName || atOtherName) << "run " << run << ": the folder's file is gone";
    struct stat st;
    for (const std::string& trashed : {name + ".tmp", name + ".tmp.2"})
      if (::lstat(data.Path("Trash/files/" + trashed).c_str(), &st) == 0) {
        EXPECT_FALSE(S_ISDIR(st.st_mode)) << "run " << run << ": a folder went to the trash";
      }
    if (r.outcome == DeletionOutcome::kDeleted) {
      EXPECT_TRUE(r.intoTrash);
    }
  }
}

}  // namespace
}  // namespace kelvo::cleanup
