// The settings file fails closed: a file that is there but cannot be read is an error, never an
// empty keep-list; a FIFO or a device never hangs or feeds a read; root never writes through a
// link another user planted; and the user's own lines of the keep-list survive every write.
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <functional>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/file_update.h"
#include "settings/keep_list_file.h"
#include "settings/settings_file.h"
#include "support/file_text.h"
#include "support/temp_tree.h"

namespace kelvo::settings {
namespace {

using kelvo::testing::FileText;
using kelvo::testing::TempTree;

constexpr uid_t kOtherUser = 65534;  // nobody

// Runs check in a child process, as user when given, and returns its exit status; a child still
// running after ten seconds is killed (SIGALRM), so a read that blocks fails the test, not the run.
int InChild(const std::function<int()>& check, uid_t user = 0) {
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::alarm(10);
    if (user != 0 && (::setgroups(0, nullptr) != 0 || ::setresgid(user, user, user) != 0 ||
                      ::setresuid(user, user, user) != 0))
      ::_exit(100);
    ::_exit(check());
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

std::error_code KeepListError(const std::string& path) {
  const auto read = ReadKeepList(path);
  return read ? std::error_code() : read.error();
}

uid_t Owner(const std::string& path) {
  struct stat st {};
  ::lstat(path.c_str(), &st);
  return st.st_uid;
}

TEST(KeepListFile, AMissingFileOrSectionIsAnEmptyList) {
  TempTree tree;
  auto read = ReadKeepList(tree.Path("missing/setting.ini"));
  ASSERT_TRUE(read);
  EXPECT_TRUE(read->empty());
  tree.File("setting.ini", "[show]\nts=1\n");
  read = ReadKeepList(tree.Path("setting.ini"));
  ASSERT_TRUE(read);
  EXPECT_TRUE(read->empty());
}

TEST(KeepListFile, AFileThatIsThereButCannotBeReadIsAnErrorInEveryForm) {
  TempTree tree;
  tree.Dir("folder.ini");
  EXPECT_EQ(KeepListError(tree.Path("folder.ini")), std::errc::is_a_directory);
  EXPECT_EQ(KeepListError("/dev/zero"), platform::FileRefusal::kNotRegularFile);
  tree.Symlink("/dev/zero", "zero.ini");
  EXPECT_EQ(KeepListError(tree.Path("zero.ini")), platform::FileRefusal::kNotRegularFile);
  // Larger than any settings file: sparse, so nothing is written.
  tree.File("huge.ini", "[keep]\nfolder0=/home\n");
  ASSERT_EQ(::truncate(tree.Path("huge.ini").c_str(), platform::kLargestOwnFile + 1), 0);
  EXPECT_EQ(KeepListError(tree.Path("huge.ini")), std::errc::file_too_large);
  EXPECT_FALSE(platform::ReadWholeFile(tree.Path("huge.ini")));

  // No permission, for a user who is not root.
  tree.Chmod("", 0755);
  tree.File("locked.ini", "[keep]\nfolder0=/home\n", 0000);
  const std::string locked = tree.Path("locked.ini");
  EXPECT_EQ(InChild([&] { return KeepListError(locked) == std::errc::permission_denied ? 0 : 1; },
                    kOtherUser),
            0);
  // A link that another user made is not followed, even to a readable file.
  tree.File("readable.ini", "[keep]\nfolder0=/home\n");
  tree.Symlink(tree.Path("readable.ini"), "planted.ini");
  ASSERT_EQ(::lchown(tree.Path("planted.ini").c_str(), kOtherUser, kOtherUser), 0);
  EXPECT_EQ(KeepListError(tree.Path("planted.ini")), platform::FileRefusal::kForeignLink);
  EXPECT_FALSE(KeepListError(tree.Path("readable.ini")));
}

TEST(SettingsFile, AFifoAtThePathNeverHangsAReadOrAWrite) {
  TempTree tree;
  const std::string path = tree.Path("setting.ini");
  ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
  const int status = InChild([&] {
    bool added = false;
    const bool refused = KeepListError(path) == platform::FileRefusal::kNotRegularFile &&
                         AddKeepEntry(path, {KeepEntry::Kind::kPattern, "*.iso"}, added) ==
                             platform::FileRefusal::kNotRegularFile &&
                         WriteIniValue(path, kCheckSection, kTrashKey, "1") ==
                             platform::FileRefusal::kNotRegularFile;
    return refused && !added ? 0 : 1;
  });
  EXPECT_EQ(status, 0);  // 142 (SIGALRM) when a call blocked
  struct stat st {};
  ASSERT_EQ(::lstat(path.c_str(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));
}

TEST(SettingsFile, RootWritesNeitherThroughAnotherUsersLinkNorIntoAnotherUsersTarget) {
  TempTree tree;
  tree.Chmod("", 0755);
  tree.File("root-only.conf", "[keep]\n# root's own\n");
  tree.Dir("home");
  ASSERT_EQ(::chown(tree.Path("home").c_str(), kOtherUser, kOtherUser), 0);
  // sudo -E with the user's HOME: the user planted setting.ini -> a file of root's.
  tree.Symlink(tree.Path("root-only.conf"), "home/setting.ini");
  const std::string planted = tree.Path("home/setting.ini");
  ASSERT_EQ(::lchown(planted.c_str(), kOtherUser, kOtherUser), 0);
  bool added = true;
  EXPECT_EQ(AddKeepEntry(planted, {KeepEntry::Kind::kPattern, "*.iso"}, added),
            platform::FileRefusal::kForeignLink);
  EXPECT_FALSE(added);
  EXPECT_EQ(WriteIniValue(planted, kCheckSection, kTrashKey, "1"),
            platform::FileRefusal::kForeignLink);
  EXPECT_EQ(FileText(tree.Path("root-only.conf")), "[keep]\n# root's own\n");
  // A folder on the way that is the user's link counts the same.
  tree.Symlink(tree.root(), "home/config");
  ASSERT_EQ(::lchown(tree.Path("home/config").c_str(), kOtherUser, kOtherUser), 0);
  EXPECT_EQ(WriteIniValue(tree.Path("home/config/root-only.conf"), kShowSection, kTipsKey, "1"),
            platform::FileRefusal::kForeignLink);
  EXPECT_EQ(platform::MakeFolders(tree.Path("home/config/made")),
            platform::FileRefusal::kForeignLink);
  EXPECT_EQ(FileText(tree.Path("root-only.conf")), "[keep]\n# root's own\n");

  // Root's own link to a file of the user's: read, but not written as root.
  tree.File("users.ini", "[show]\nts=1\n");
  ASSERT_EQ(::chown(tree.Path("users.ini").c_str(), kOtherUser, kOtherUser), 0);
  tree.Symlink(tree.Path("users.ini"), "roots-link.ini");
  EXPECT_EQ(ReadTipsSwitch(tree.Path("roots-link.ini")), 1);
  EXPECT_EQ(WriteIniValue(tree.Path("roots-link.ini"), kShowSection, kTipsKey, "0"),
            platform::FileRefusal::kForeignLink);
  // Without a link root edits the user's file, which stays the user's.
  ASSERT_FALSE(WriteIniValue(tree.Path("users.ini"), kShowSection, kTipsKey, "0"));
  EXPECT_EQ(Owner(tree.Path("users.ini")), kOtherUser);
}

TEST(SettingsFile, WhatRootMakesInAUsersFolderBelongsToTheUser) {
  TempTree tree;
  tree.Dir("home");
  ASSERT_EQ(::chown(tree.Path("home").c_str(), kOtherUser, kOtherUser), 0);
  ASSERT_FALSE(WriteKeepList(tree.Path("home/.config/kelvo/setting.ini"),
                             {{KeepEntry::Kind::kFolder, "/srv"}}));
  EXPECT_EQ(Owner(tree.Path("home/.config")), kOtherUser);
  EXPECT_EQ(Owner(tree.Path("home/.config/kelvo")), kOtherUser);
  EXPECT_EQ(Owner(tree.Path("home/.config/kelvo/setting.ini")), kOtherUser);
}

TEST(SettingsFile, KelvoSettingsFileNamesTheFileForBothPrograms) {
  const char* old = std::getenv("KELVO_SETTINGS_FILE");
  const std::string saved = old ? old : "";
  ::setenv("KELVO_SETTINGS_FILE", "/srv/test/setting.ini", 1);
  EXPECT_EQ(SettingsFilePath(), "/srv/test/setting.ini");
  ::setenv("KELVO_SETTINGS_FILE", "", 1);
  EXPECT_NE(SettingsFilePath(), "");
  if (old)
    ::setenv("KELVO_SETTINGS_FILE", saved.c_str(), 1);
  else
    ::unsetenv("KELVO_SETTINGS_FILE");
}

TEST(KeepListFile, AWriteKeepsTheUsersLinesAndReadsEverySection) {
  TempTree tree;
  tree.File("setting.ini",
            "[keep]\n"
            "; photos = the ones from 2019\n"
            "folder0=\"/home/ann/photos\"\n"
            "note=mine\n"
            "[show]\n"
            "ts=1\n"
            "[Keep]\n"
            "pattern0=\"*.iso\"\n"
            "# the second section, added by hand\n");
  const std::string path = tree.Path("setting.ini");
  const std::vector<KeepEntry> both = {{KeepEntry::Kind::kFolder, "/home/ann/photos"},
                                       {KeepEntry::Kind::kPattern, "*.iso"}};
  EXPECT_EQ(ReadKeepList(path).value(), both);
  bool added = false;
  ASSERT_FALSE(AddKeepEntry(path, {KeepEntry::Kind::kPattern, "*.bak"}, added));
  EXPECT_TRUE(added);
  EXPECT_EQ(FileText(path),
            "[keep]\n"
            "folder0=\"/home/ann/photos\"\n"
            "pattern1=\"*.iso\"\n"
            "pattern2=\"*.bak\"\n"
            "; photos = the ones from 2019\n"
            "note=mine\n"
            "[show]\n"
            "ts=1\n"
            "[Keep]\n"
            "# the second section, added by hand\n");
  std::size_t removed = 0;
  ASSERT_FALSE(RemoveKeepEntry(path, "*.iso", removed));
  EXPECT_EQ(removed, 1u);
  EXPECT_EQ(ReadKeepList(path).value(),
            (std::vector<KeepEntry>{both[0], {KeepEntry::Kind::kPattern, "*.bak"}}));
  EXPECT_THAT(FileText(path), ::testing::HasSubstr("note=mine\n"));
}

TEST(KeepPattern, APatternThatCanNeverMatchACanonicalPathIsFound) {
  for (const char* fine : {"*.iso", "**/node_modules", "/srv/*/cache", "build/", "/", "[[]x", "[]]",
                           "[!a-z]*", "a\\[b", ".cache", "..hidden", "/home/**/.thumbnails"})
    EXPECT_FALSE(PatternFlawOf(fine)) << fine;
  EXPECT_EQ(PatternFlawOf(""), PatternFlaw::kEmpty);
  for (const char* doubled : {"a//b", "//srv", "**//x"})
    EXPECT_EQ(PatternFlawOf(doubled), PatternFlaw::kEmptyComponent) << doubled;
  for (const char* dotted : {"./x", "x/../y", "/srv/.", "..", "a/./b"})
    EXPECT_EQ(PatternFlawOf(dotted), PatternFlaw::kDotComponent) << dotted;
  for (const char* open : {"[abc", "x/[a/b]", "*.[ch", "a\\[b[", "[!"})
    EXPECT_EQ(PatternFlawOf(open), PatternFlaw::kUnclosedClass) << open;
  bool added = true;
  TempTree tree;
  EXPECT_EQ(AddKeepEntry(tree.Path("setting.ini"), {KeepEntry::Kind::kPattern, "x/../y"}, added),
            std::errc::invalid_argument);
  EXPECT_FALSE(added);
}

}  // namespace
}  // namespace kelvo::settings
