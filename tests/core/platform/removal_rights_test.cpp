// Whether the effective user may remove an entry, asked as a normal user (a child that switched to
// nobody) and as root, on a real tree.
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <functional>

#include "platform/removal_rights.h"
#include "support/temp_tree.h"

namespace kelvo::platform {
namespace {

constexpr uid_t kNobody = 65534;

// Runs question in a child that is nobody through and through; its answer comes back as the exit
// status (0 false, 1 true, 2 the switch failed).
int AskAsNobody(const std::function<bool()>& question) {
  const pid_t pid = ::fork();
  if (pid == 0) {
    if (::setgroups(0, nullptr) != 0 || ::setresgid(kNobody, kNobody, kNobody) != 0 ||
        ::setresuid(kNobody, kNobody, kNobody) != 0)
      ::_exit(2);
    ::_exit(question() ? 1 : 0);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 3;
}

class RemovalRightsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(::geteuid(), 0u) << "the tests run as root";
    tree_.Chmod("", 0755);
    tree_.Dir("own");
    tree_.File("own/a.tmp");
    tree_.File("own/root-owned.tmp");  // root's file in the user's folder: the user may unlink it
    Own("own");
    Own("own/a.tmp");
    tree_.Dir("system", 0755);
    tree_.File("system/b.tmp");
    tree_.Dir("system/open", 0777);  // writable by all, below a folder the user cannot write
    tree_.File("system/open/c.tmp");
    tree_.Dir("locked", 0700);  // not even searchable
    tree_.File("locked/d.tmp");
    tree_.Dir("sticky", 01777);
    tree_.File("sticky/root.tmp");
    tree_.File("sticky/mine.tmp");
    Own("sticky/mine.tmp");
    tree_.Dir("sticky-mine", 01755);
    Own("sticky-mine");
    tree_.File("sticky-mine/root.tmp");
    // mkdir's mode passes through the umask; these must be exactly so.
    tree_.Chmod("system/open", 0777);
    tree_.Chmod("sticky", 01777);
    tree_.Chmod("sticky-mine", 01755);
  }
  void Own(const char* relative) {
    ASSERT_EQ(::lchown(tree_.Path(relative).c_str(), kNobody, kNobody), 0);
  }
  int Ask(const char* relative) {
    const NativeString path = tree_.Path(relative);
    return AskAsNobody([&] { return MakeNativeRemovalRights()->NeedsAdministrator(path); });
  }

  testing::TempTree tree_;
};

TEST_F(RemovalRightsTest, AFolderTheUserCannotWriteOrSearchNeedsAnAdministrator) {
  EXPECT_EQ(Ask("system/b.tmp"), 1);
  EXPECT_EQ(Ask("locked/d.tmp"), 1);
}

TEST_F(RemovalRightsTest, TheFolderDecidesNotTheEntry) {
  EXPECT_EQ(Ask("own/a.tmp"), 0);
  EXPECT_EQ(Ask("own/root-owned.tmp"), 0);
  EXPECT_EQ(Ask("system/open/c.tmp"), 0);
}

TEST_F(RemovalRightsTest, InAStickyFolderOnlyTheOwnerOfTheEntryOrFolderMayRemoveIt) {
  EXPECT_EQ(Ask("sticky/root.tmp"), 1);
  EXPECT_EQ(Ask("sticky/mine.tmp"), 0);
  EXPECT_EQ(Ask("sticky-mine/root.tmp"), 0);
}

TEST_F(RemovalRightsTest, OneRemoverAnswersEveryRowOfAFolderRight) {
  // The folder's answer is kept between rows; a row of the next folder must not inherit it.
  const std::vector<NativeString> paths = {
      tree_.Path("sticky/mine.tmp"), tree_.Path("sticky/root.tmp"), tree_.Path("own/a.tmp"),
      tree_.Path("system/b.tmp"), tree_.Path("own/root-owned.tmp")};
  const int answers = AskAsNobody([&] {
    auto rights = MakeNativeRemovalRights();
    int bits = 0;
    for (std::size_t i = 0; i < paths.size(); ++i)
      bits |= rights->NeedsAdministrator(paths[i]) ? 1 << i : 0;
    return bits == 0b01010;
  });
  EXPECT_EQ(answers, 1);
}

TEST_F(RemovalRightsTest, RootNeedsNobodyAndAGoneEntryIsNoReasonToAsk) {
  auto rights = MakeNativeRemovalRights();
  EXPECT_FALSE(rights->NeedsAdministrator(tree_.Path("system/b.tmp")));
  EXPECT_FALSE(rights->NeedsAdministrator(tree_.Path("sticky/root.tmp")));
  EXPECT_EQ(Ask("no-such-folder/x.tmp"), 0);
  EXPECT_EQ(Ask(""), 0);
}

}  // namespace
}  // namespace kelvo::platform
