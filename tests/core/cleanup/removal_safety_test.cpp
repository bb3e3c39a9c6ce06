// Seeded random trees, random changes between the scan and the removal, removal in every mode:
// whatever happens, nothing is removed or moved but unchanged, unkept, listed files and links and
// folders that were listed as empty and still are, and nothing outside the tree is touched.
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <dirent.h>

#include <cstdlib>
#include <map>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "cleanup/removal_gate.h"
#include "prepare/stored_keep_list.h"
#include "settings/keep_list_file.h"
#include "support/file_text.h"
#include "support/temp_tree.h"

namespace kelvo::cleanup {
namespace {

using testing::Exists;
using testing::TempTree;

struct Seen {
  mode_t mode = 0;
  dev_t device = 0;
  ino_t inode = 0;
  std::string content;  // files only
};

// Every entry below folder, links examined and not followed.
void Walk(const std::string& folder, std::map<std::string, Seen>& out) {
  std::vector<std::string> names;
  if (DIR* d = ::opendir(folder.c_str())) {
    while (const dirent* e = ::readdir(d)) {
      const std::string n = e->d_name;
      if (n != "." && n != "..") names.push_back(n);
    }
    ::closedir(d);
  }
  for (const std::string& n : names) {
    const std::string path = folder + "/" + n;
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0) continue;
    Seen& s = out[path];
    s.mode = st.st_mode;
    s.device = st.st_dev;
    s.inode = st.st_ino;
    if (S_ISREG(st.st_mode)) s.content = testing::FileText(path);
    if (S_ISDIR(st.st_mode)) Walk(path, out);
  }
}

scan::EntryIdentity IdentityOf(const std::string& path) {
  struct stat st;
  ::lstat(path.c_str(), &st);
  scan::EntryIdentity id{st.st_dev, st.st_ino,
                         S_ISDIR(st.st_mode)   ? platform::EntryType::kDirectory
                         : S_ISLNK(st.st_mode) ? platform::EntryType::kSymlink
                                               : platform::EntryType::kFile,
                         std::nullopt, std::nullopt};
  if (!S_ISDIR(st.st_mode))
    id.modified = std::int64_t{st.st_mtim.tv_sec} * 1'000'000'000 + st.st_mtim.tv_nsec;
  return id;
}

enum class Form { kScanned, kJson, kTsv, kPlain, kLocation };

class RemovalSafety : public ::testing::TestWithParam<int> {
 protected:
  RemovalSafety() {
    if (const char* old = std::getenv("XDG_DATA_HOME")) oldDataHome_ = old;
    ::setenv("XDG_DATA_HOME", data.root().c_str(), 1);
  }
  ~RemovalSafety() override {
    if (bound_) ::umount2(tree.Path("bound").c_str(), MNT_DETACH);
    if (oldDataHome_)
      ::setenv("XDG_DATA_HOME", oldDataHome_->c_str(), 1);
    else
      ::unsetenv("XDG_DATA_HOME");
  }

  TempTree data;     // the home trash
  TempTree outside;  // what links point to: never touched
  TempTree tree;
  bool bound_ = false;

 private:
  std::optional<std::string> oldDataHome_;
};

TEST_P(RemovalSafety, NothingButUnchangedUnkeptListedEntriesIsEverRemovedOrMoved) {
  std::mt19937 random(static_cast<unsigned>(GetParam()));
  auto chance = [&](int percent) { return static_cast<int>(random() % 100) < percent; };
  const std::string top = tree.RootUtf8().substr(0, tree.RootUtf8().size() - 1);
  outside.File("precious.odt", "mine");
  outside.Dir("album");
  outside.File("album/photo.jpg", "mine too");

  // A random tree: files, empty folders, links, a kept folder, a trash with an item.
  std::vector<std::string> files, folders;
  for (int i = 0; i < 24; ++i) {
    const std::string dir = "d" + std::to_string(random() % 4) + (chance(40) ? "/s" : "");
    const std::string name = dir + "/f" + std::to_string(i) + (chance(20) ? "\xFF.tmp" : ".tmp");
    tree.File(name, std::string(1 + random() % 9, 'x'));
    files.push_back(name);
  }
  for (int i = 0; i < 5; ++i) {
    const std::string name = "d" + std::to_string(random() % 4) + "/empty" + std::to_string(i);
    tree.Dir(name);
    folders.push_back(name);
  }
  tree.Symlink(outside.PathUtf8("precious.odt"), "d0/link.tmp");
  tree.Symlink(outside.PathUtf8("album"), "d1/album");
  files.push_back("d0/link.tmp");
  tree.File("kept/k.tmp", "kept");
  files.push_back("kept/k.tmp");
  tree.File("home/Trash/files/old.bak", "trashed");
  tree.File("home/Trash/info/old.bak.trashinfo", "[Trash Info]\nPath=/old.bak\n");
  files.push_back("home/Trash/files/old.bak");
  files.push_back("home/Trash/info/old.bak.trashinfo");
  if (chance(50) && ::geteuid() == 0) {
    tree.Dir("bound");
    bound_ = ::mount(tree.Path("kept").c_str(), tree.Path("bound").c_str(), nullptr, MS_BIND,
                     nullptr) == 0;
    if (bound_) files.push_back("bound/k.tmp");
  }
  const NativeString ini = tree.Path("setting.ini");
  ASSERT_FALSE(
      settings::WriteKeepList(ini, {{settings::KeepEntry::Kind::kFolder, tree.Path("kept")}}));

  // The "scan": rows in a random form for most entries.
  std::vector<DeletionRequest> rows;
  auto add = [&](const std::string& relative, bool folder) {
    const Form form = static_cast<Form>(random() % 5);
    DeletionRequest r;
    r.path = tree.Path(relative) + (folder && form == Form::kPlain ? "/" : "");
    r.emptyFolder = folder;
    if (form == Form::kScanned || form == Form::kJson || form == Form::kLocation) {
      r.identity = IdentityOf(tree.Path(relative));
      r.root = form == Form::kLocation ? tree.Path(relative.substr(0, 2)) + "/" : tree.root();
      if (form == Form::kLocation) r.tidy = Tidy::kEmptyFolders;
    }
    if (!folder && form != Form::kPlain) {
      struct stat st;
      ::lstat(tree.Path(relative).c_str(), &st);
      r.size = static_cast<std::uint64_t>(st.st_size);
    }
    rows.push_back(r);
  };
  for (const auto& f : files)
    if (chance(85)) add(f, false);
  for (const auto& f : folders)
    if (chance(85)) add(f, true);
  if (chance(50)) add("d2", true);  // a folder with contents listed as empty: never removed

  // Random changes between the scan and the removal; what changed may not be removed.
  // What changed, by path; whether a change forbids the removal depends on what the row knew.
  enum class Change { kGrown, kBecameFolder, kBecameLink, kFilled };
  std::map<std::string, Change> changed;
  for (const std::string& f : files) {
    if (f.starts_with("home/") || f.starts_with("kept/") || f.starts_with("bound/") ||
        f.ends_with("link.tmp"))
      continue;
    const std::string p = tree.PathUtf8(f);
    switch (random() % 8) {
      case 0:
        tree.File(f, "grown since the scan");
        changed[p] = Change::kGrown;
        break;
      case 1:
        ::unlink(p.c_str());
        tree.File(f + "/inside.odt", "a folder now");
        changed[p] = Change::kBecameFolder;
        break;
      case 2:
        ::unlink(p.c_str());
        tree.Symlink(outside.PathUtf8("album"), f);
        changed[p] = Change::kBecameLink;
        break;
      default:
        break;
    }
  }
  for (const std::string& f : folders)
    if (chance(25)) {
      tree.File(f + "/new.odt", "filled since the scan");
      changed[tree.PathUtf8(f)] = Change::kFilled;
    }
  const bool d3Kept = chance(50);
  if (d3Kept) {
    ASSERT_FALSE(settings::WriteKeepList(
        ini, {{settings::KeepEntry::Kind::kFolder, tree.Path("kept")},
              {settings::KeepEntry::Kind::kPattern, AsciiToNative("**/d3/**")}}));
  }
  std::map<std::string, Seen> before, outsideBefore;
  Walk(top, before);
  Walk(outside.RootUtf8().substr(0, outside.RootUtf8().size() - 1), outsideBefore);
  const std::string mode[] = {"delete", "trash", "dry run"};
  const int m = static_cast<int>(random() % 3);
  SCOPED_TRACE("seed " + std::to_string(GetParam()) + ", " + mode[m]);

  prepare::StoredKeepList keep(ini, {});
  RemovalGate gate({.toTrash = m == 1, .dryRun = m == 2, .keep = &keep});
  std::map<std::string, const DeletionRequest*> listed;
  for (const DeletionRequest& r : rows) {
    std::string p = r.path;
    while (p.size() > 1 && p.back() == '/') p.pop_back();
    listed[p] = &r;
    std::ignore = gate.Pass(r);
  }
  // A plain list names a path and nothing more: a file that grew, or a link put in its place, is
  // still what it names. Anything the row did know must still hold.
  auto mayGo = [&](const std::string& p) {
    const auto change = changed.find(p);
    if (change == changed.end()) return true;
    const DeletionRequest* row = listed.at(p);
    const bool knew = row->identity || row->size;
    switch (change->second) {
      case Change::kGrown:
      case Change::kBecameLink:
        return !knew;
      case Change::kBecameFolder:
      case Change::kFilled:
        return false;
    }
    return false;
  };

  std::map<std::string, Seen> after, outsideAfter;
  Walk(top, after);
  Walk(outside.RootUtf8().substr(0, outside.RootUtf8().size() - 1), outsideAfter);
  EXPECT_EQ(outsideBefore.size(), outsideAfter.size());
  for (const auto& [path, seen] : outsideBefore)
    EXPECT_EQ(outsideAfter[path].content, seen.content) << path;
  if (m == 2) {
    EXPECT_EQ(before.size(), after.size()) << "a dry run changed the tree";
  }

  auto kept = [&](const std::string& p) {
    return p.find("/kept/") != std::string::npos || p.find("/bound/") != std::string::npos ||
           p.ends_with("/kept") || p.ends_with("/bound") ||
           (d3Kept && p.find("/d3/") != std::string::npos);
  };
  for (const auto& [path, seen] : before) {
    if (after.contains(path)) {
      if (S_ISREG(seen.mode)) {
        EXPECT_EQ(after[path].content, seen.content) << path;
      }
      continue;
    }
    const bool trashInfo =
        path.ends_with(".trashinfo") &&
        !after.contains(path.substr(0, path.find("/info/")) + "/files/" +
                        path.substr(path.rfind('/') + 1, path.size() - path.rfind('/') - 1 - 10));
    const bool tidied = S_ISDIR(seen.mode);  // may go only while empty: its contents went first
    if (tidied) {
      for (const auto& [inner, s] : before)
        if (inner.starts_with(path + "/")) {
          EXPECT_FALSE(after.contains(inner)) << path;
        }
      continue;
    }
    EXPECT_TRUE(listed.contains(path) || trashInfo) << "removed without a row: " << path;
    EXPECT_TRUE(trashInfo || !listed.contains(path) || mayGo(path))
        << "removed though changed: " << path << " change "
        << static_cast<int>(changed.count(path) ? changed.at(path) : Change::kGrown) << " identity "
        << (listed.contains(path) && listed.at(path)->identity) << " size "
        << (listed.contains(path) && listed.at(path)->size);
    EXPECT_FALSE(kept(path)) << "removed though kept: " << path;
    EXPECT_TRUE(S_ISREG(seen.mode) || S_ISLNK(seen.mode)) << "removed a special entry: " << path;
  }
  // Only unchanged listed files arrive in the trash, never a folder.
  std::map<std::string, Seen> trashed;
  Walk(data.RootUtf8() + "Trash/files", trashed);
  for (const auto& [path, seen] : trashed) {
    EXPECT_FALSE(S_ISDIR(seen.mode)) << "a folder went to the trash: " << path;
    bool fromRow = false;
    for (const auto& [was, s] : before)
      if (s.device == seen.device && s.inode == seen.inode && listed.contains(was) && mayGo(was))
        fromRow = true;
    EXPECT_TRUE(fromRow) << "moved without a row: " << path;
  }
}

INSTANTIATE_TEST_SUITE_P(Seeds, RemovalSafety, ::testing::Range(1, 41));

}  // namespace
}  // namespace kelvo::cleanup
