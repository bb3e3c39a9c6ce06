// The rows a normal user cannot remove, from the scan to the administrator step: marked, counted
// apart, left alone without --admin, and removed through the elevation command (a stand-in for
// pkexec) with one report in the usual words. Then the privileged side alone, as an attacker
// would feed it.
#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <set>
#include <string>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "admin/admin_report.h"
#include "admin/admin_request.h"
#include "support/run_process.h"
#include "support/temp_tree.h"

namespace kelvo::cli {
namespace {

using testing::Exists;
using ::testing::HasSubstr;
using ::testing::Not;
using testing::ProcessResult;
using testing::TempTree;

constexpr uid_t kNobody = 65534;

struct Environment {
  std::vector<std::pair<std::string, std::string>> set;
};

// Runs kelvo-cli with the effective user and group nobody. For a run with --admin the real user
// stays root, which only the stand-in for pkexec uses, to become root again as pkexec would.
ProcessResult RunCli(const std::vector<std::string>& args, const Environment& env, bool asNobody,
                     const std::string& input = "") {
  int in[2], out[2], err[2];
  if (::pipe(in) || ::pipe(out) || ::pipe(err)) return {};
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::dup2(in[0], 0);
    ::dup2(out[1], 1);
    ::dup2(err[1], 2);
    for (int fd : {in[0], in[1], out[0], out[1], err[0], err[1]}) ::close(fd);
    for (const auto& [name, value] : env.set) ::setenv(name.c_str(), value.c_str(), 1);
    // Only a run that elevates keeps the real user root, for the stand-in of pkexec to become
    // root again; every other run is nobody through and through, as a user's program is.
    const bool elevates = std::find(args.begin(), args.end(), "--admin") != args.end();
    const uid_t real = elevates ? 0 : kNobody;
    if (asNobody && (::setgroups(0, nullptr) != 0 || ::setresgid(real, kNobody, real) != 0 ||
                     ::setresuid(real, kNobody, real) != 0))
      ::_exit(126);
    std::vector<char*> argv{const_cast<char*>(KELVO_CLI_PATH)};
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    ::execv(KELVO_CLI_PATH, argv.data());
    ::_exit(127);
  }
  ::close(in[0]);
  ::close(out[1]);
  ::close(err[1]);
  if (!input.empty() && ::write(in[1], input.data(), input.size()) < 0) ADD_FAILURE() << "write";
  ::close(in[1]);
  ProcessResult result;
  char buffer[65536];
  for (int fd : {out[0], err[0]}) {
    for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;)
      (fd == out[0] ? result.out : result.err).append(buffer, static_cast<std::size_t>(n));
    ::close(fd);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  result.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  return result;
}

void WriteFile(const std::string& path, const std::string& text, mode_t mode = 0644) {
  std::ofstream(path, std::ios::binary) << text;
  ::chmod(path.c_str(), mode);
}

class AdminStepTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(::geteuid(), 0u) << "the tests run as root";
    tree_.Chmod("", 0755);
    tree_.Dir("home");
    tree_.Dir("junk/own");
    tree_.File("junk/own/a.tmp", "aa");
    tree_.Dir("junk/system");
    tree_.File("junk/system/b.tmp", "bbb");
    tree_.File("junk/system/c.tmp", "cccc");
    tree_.File("junk/shared/root.tmp", "rrrrr");
    tree_.File("junk/shared/mine.tmp", "m");
    tree_.Chmod("junk/shared", 01777);  // after the files: making one sets its folder's mode
    for (const char* mine : {"home", "junk/own", "junk/own/a.tmp", "junk/shared/mine.tmp"})
      ASSERT_EQ(::lchown(tree_.Path(mine).c_str(), kNobody, kNobody), 0);
    env_.set = {{"HOME", tree_.PathUtf8("home")},
                {"XDG_CONFIG_HOME", tree_.PathUtf8("home/config")},
                {"XDG_DATA_HOME", tree_.PathUtf8("home/data")},
                {"KELVO_ELEVATE", KELVO_TEST_ELEVATE}};
  }
  ProcessResult AsUser(const std::vector<std::string>& args) { return RunCli(args, env_, true); }
  bool Here(const char* relative) { return Exists(tree_.Path(relative)); }

  TempTree tree_;
  Environment env_;
};

TEST_F(AdminStepTest, TheScanMarksExactlyTheRowsTheUserCannotRemove) {
  const ProcessResult r = AsUser({"scan", "--format=json", tree_.PathUtf8("junk")});
  ASSERT_EQ(r.exitStatus, 0) << r.err;
  for (const char* name : {"b.tmp", "c.tmp", "root.tmp"})
    EXPECT_THAT(r.out, HasSubstr(std::string(name) + "\",")) << name;
  std::istringstream rows(r.out);
  int marked = 0;
  for (std::string line; std::getline(rows, line);) {
    const bool admin = line.find("\"needs_admin\":true}") != std::string::npos;
    EXPECT_TRUE(admin || line.find("\"needs_admin\":false}") != std::string::npos) << line;
    const bool mine =
        line.find("/own/a.tmp") != std::string::npos || line.find("/mine.tmp") != std::string::npos;
    EXPECT_EQ(admin, !mine) << line;
    marked += admin;
  }
  EXPECT_EQ(marked, 3);
  EXPECT_THAT(r.err, HasSubstr("5 rows, 15 bytes, 4 folders, 0 unreadable folders"));
  EXPECT_THAT(r.err, HasSubstr(", 3 need administrator rights\n"));
  // Root may remove them all: nothing is marked, and the summary says nothing of it.
  const ProcessResult root = RunCli({"scan", "--format=json", tree_.PathUtf8("junk")}, env_, false);
  EXPECT_THAT(root.out, Not(HasSubstr("\"needs_admin\":true")));
  EXPECT_THAT(root.err, Not(HasSubstr("administrator")));
}

TEST_F(AdminStepTest, TheDryRunAndTheQuestionCountThemApart) {
  const ProcessResult dry = AsUser({"clean", "--dry-run", tree_.PathUtf8("junk")});
  EXPECT_THAT(dry.out, HasSubstr("Would delete 2 files (3 bytes).\n"));
  EXPECT_THAT(dry.out, HasSubstr("3 files (12 bytes) need administrator rights: add --admin"));
  EXPECT_THAT(dry.out, Not(HasSubstr("b.tmp")));
  const ProcessResult admin = AsUser({"clean", "--dry-run", "--admin", tree_.PathUtf8("junk")});
  EXPECT_THAT(admin.out, HasSubstr(tree_.PathUtf8("junk/system/b.tmp") + "\n"));
  EXPECT_THAT(admin.out, HasSubstr("Would delete 3 files (12 bytes) as administrator.\n"));
  const ProcessResult asked = AsUser({"clean", tree_.PathUtf8("junk")});  // no terminal to ask on
  EXPECT_THAT(asked.err, HasSubstr("no terminal"));
  EXPECT_TRUE(Here("junk/own/a.tmp") && Here("junk/system/b.tmp"));
}

TEST_F(AdminStepTest, WithoutAdminTheirRowsAreLeftAloneAndTheWayIsNamed) {
  const ProcessResult r = AsUser({"clean", "--yes", tree_.PathUtf8("junk")});
  EXPECT_EQ(r.exitStatus, 0) << r.err;
  EXPECT_THAT(r.out, HasSubstr("Deleted 2 files (3 bytes), 0 already gone, 0 failed.\n"));
  EXPECT_THAT(r.out, HasSubstr("3 files (12 bytes) left alone: they need administrator rights; "
                               "run the same command with --admin"));
  EXPECT_THAT(r.err, Not(HasSubstr("permission denied")));
  EXPECT_FALSE(Here("junk/own/a.tmp") || Here("junk/shared/mine.tmp"));
  EXPECT_TRUE(Here("junk/system/b.tmp") && Here("junk/system/c.tmp") &&
              Here("junk/shared/root.tmp"));
}

TEST_F(AdminStepTest, WithAdminTheElevationRemovesTheRestWithOneReport) {
#ifdef __SANITIZE_ADDRESS__
  // With real and effective user apart the program is not dumpable: the leak checker cannot read
  // its options or stop its threads, and fails the run at exit whatever the program did.
  GTEST_SKIP() << "the leak checker cannot run in a program whose real and effective users differ";
#endif
  const ProcessResult r = AsUser({"clean", "--yes", "--admin", tree_.PathUtf8("junk")});
  EXPECT_EQ(r.exitStatus, 0) << r.err;
  EXPECT_THAT(r.out, HasSubstr("Deleted 2 files (3 bytes), 0 already gone, 0 failed.\n"));
  EXPECT_THAT(r.out, HasSubstr("As administrator: deleted 3 files (12 bytes), 0 already gone, "
                               "0 failed.\n"));
  for (const char* gone : {"junk/own/a.tmp", "junk/system/b.tmp", "junk/system/c.tmp",
                           "junk/shared/root.tmp", "junk/shared/mine.tmp"})
    EXPECT_FALSE(Here(gone)) << gone;
  EXPECT_TRUE(Here("junk/system"));
}

TEST_F(AdminStepTest, TheUsersKeepListTravelsWithTheRequest) {
  // The privileged side reads no settings of the user: their stored list and this run's --keep
  // patterns go in the request's header. The stand-in here only keeps what it was sent.
  tree_.Dir("home/config/kelvo");
  WriteFile(tree_.PathUtf8("home/config/kelvo/setting.ini"),
            "[keep]\nfolder1=" + tree_.PathUtf8("junk/kept") + "\n");
  for (const char* mine : {"home/config", "home/config/kelvo", "home/config/kelvo/setting.ini"})
    ASSERT_EQ(::lchown(tree_.Path(mine).c_str(), kNobody, kNobody), 0);
  const std::string capture = tree_.PathUtf8("capture.sh");
  WriteFile(capture, "#!/bin/sh\ncat > " + tree_.PathUtf8("request") + "\n", 0755);
  env_.set.back().second = capture;
  const ProcessResult r =
      AsUser({"clean", "--yes", "--admin", "--keep", "*.iso", tree_.PathUtf8("junk/system")});
  EXPECT_EQ(r.exitStatus, 1);
  EXPECT_THAT(r.err, HasSubstr("ended without a report"));
  std::ifstream file(tree_.PathUtf8("request"), std::ios::binary);
  const std::string sent((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  auto request = admin::ReadAdminRequest(sent);
  ASSERT_TRUE(request) << request.error() << "\n" << sent;
  EXPECT_EQ(request.value().user, kNobody);
  const std::vector<settings::KeepEntry> keep = {
      {settings::KeepEntry::Kind::kFolder, tree_.Path("junk/kept")},
      {settings::KeepEntry::Kind::kPattern, Utf8ToNative("*.iso")}};
  EXPECT_EQ(request.value().keep, keep);
  ASSERT_EQ(request.value().rows.size(), 2u);
  std::set<NativeString> paths;
  for (const auto& row : request.value().rows) paths.insert(row.path);
  EXPECT_EQ(paths, (std::set<NativeString>{tree_.Path("junk/system/b.tmp"),
                                           tree_.Path("junk/system/c.tmp")}));
  EXPECT_TRUE(request.value().rows[0].identity.has_value());
  EXPECT_TRUE(Here("junk/system/b.tmp"));
}

TEST_F(AdminStepTest, AnElevationThatIsRefusedOrLiesRemovesNothingAndSaysSo) {
  env_.set.back().second = "/bin/false";  // as pkexec answers a dismissed password prompt
  ProcessResult r = AsUser({"clean", "--yes", "--admin", tree_.PathUtf8("junk/system")});
  EXPECT_EQ(r.exitStatus, 1);
  EXPECT_THAT(r.err, HasSubstr("ended without a report (exit status 1"));
  EXPECT_THAT(r.err, HasSubstr("2 files (7 bytes) not deleted"));
  // A report naming a file that was never asked for is not shown as this request's answer.
  const std::string liar = tree_.PathUtf8("liar.sh");
  WriteFile(
      liar,
      "#!/bin/sh\ncat >/dev/null\n"
      "echo '{\"path\":\"/etc/passwd\",\"outcome\":\"deleted\",\"reason\":\"\",\"bytes\":1}'\n",
      0755);
  env_.set.back().second = liar;
  r = AsUser({"clean", "--yes", "--admin", tree_.PathUtf8("junk/system")});
  EXPECT_EQ(r.exitStatus, 1);
  EXPECT_THAT(r.err, HasSubstr("report is refused: report line 1: a row that was not asked for"));
  EXPECT_THAT(r.out, Not(HasSubstr("As administrator")));
  EXPECT_TRUE(Here("junk/system/b.tmp") && Here("junk/system/c.tmp"));
}

// The privileged side fed directly, as root with PKEXEC_UID set the way pkexec sets it.
class PrivilegedSideTest : public AdminStepTest {
 protected:
  cleanup::DeletionRequest RowOf(const char* relative, const std::string& root) {
    struct stat st {};
    EXPECT_EQ(::lstat(tree_.Path(relative).c_str(), &st), 0) << relative;
    cleanup::DeletionRequest row;
    row.path = tree_.Path(relative);
    row.root = Utf8ToNative(root);
    scan::EntryIdentity id;
    id.device = st.st_dev;
    id.inode = st.st_ino;
    id.type = platform::EntryType::kFile;
    row.identity = id;
    row.size = static_cast<std::uint64_t>(st.st_size);
    return row;
  }
  ProcessResult Privileged(const admin::AdminRequest& request, const char* asker = "65534") {
    Environment env = env_;
    env.set.push_back({"PKEXEC_UID", asker});
    return RunCli({"clean", "--from", "-", "--yes"}, env, false, admin::WriteAdminRequest(request));
  }
  admin::AdminRequest Request() {
    admin::AdminRequest request;
    request.user = kNobody;
    request.rows = {RowOf("junk/system/b.tmp", tree_.RootUtf8()),
                    RowOf("junk/system/c.tmp", tree_.RootUtf8())};
    return request;
  }
};

TEST_F(PrivilegedSideTest, AnswersEveryRowInOrderWithAReportTheAskerReads) {
  admin::AdminRequest request = Request();
  request.keep = {{settings::KeepEntry::Kind::kPattern, Utf8ToNative("*/c.tmp")}};
  const ProcessResult r = Privileged(request);
  EXPECT_EQ(r.exitStatus, 0) << r.err;
  auto report = admin::ReadAdminReport(r.out, request.rows);
  ASSERT_TRUE(report) << report.error() << "\n" << r.out;
  EXPECT_EQ(report.value()[0].outcome, admin::ReportOutcome::kDeleted);
  EXPECT_EQ(report.value()[0].bytes, 3u);
  EXPECT_EQ(report.value()[1].outcome, admin::ReportOutcome::kKept);
  EXPECT_FALSE(Here("junk/system/b.tmp"));
  EXPECT_TRUE(Here("junk/system/c.tmp"));
}

TEST_F(PrivilegedSideTest, NeverReadsTheAskingUsersSettings) {
  // A settings file that would hang any reader (a FIFO) and keep everything: the request's empty
  // keep-list is the one used, and the run ends.
  tree_.Dir("home/config/kelvo");
  ASSERT_EQ(::mkfifo(tree_.Path("home/config/kelvo/setting.ini").c_str(), 0666), 0);
  const ProcessResult r = Privileged(Request());
  EXPECT_EQ(r.exitStatus, 0) << r.err;
  EXPECT_FALSE(Here("junk/system/b.tmp") || Here("junk/system/c.tmp"));
}

TEST_F(PrivilegedSideTest, FollowsNoLinkOfTheUserInARoot) {
  // The user's own folder, turned into a link to a system folder after the scan.
  tree_.Symlink(tree_.PathUtf8("junk/system"), "home/cache");
  admin::AdminRequest request;
  request.user = kNobody;
  cleanup::DeletionRequest row = RowOf("junk/system/b.tmp", tree_.PathUtf8("home/cache/"));
  row.path = tree_.Path("home/cache/b.tmp");
  request.rows = {row};
  const ProcessResult r = Privileged(request);
  EXPECT_EQ(r.exitStatus, 1);
  EXPECT_THAT(r.out, HasSubstr(R"("outcome":"failed","reason":"link-in-path")"));
  // And a link below the root is not passed either.
  request.rows[0].root = tree_.Path("home/");
  const ProcessResult below = Privileged(request);
  EXPECT_THAT(below.out, HasSubstr(R"("outcome":"failed","reason":"link-in-path")"));
  EXPECT_TRUE(Here("junk/system/b.tmp"));
}

TEST_F(PrivilegedSideTest, RefusesARequestOfAnotherUserOrWithoutAHeader) {
  ProcessResult r = Privileged(Request(), "1000");
  EXPECT_EQ(r.exitStatus, 2);
  EXPECT_THAT(r.err, HasSubstr("names user 65534, but user 1000 asked"));
  Environment env = env_;
  env.set.push_back({"PKEXEC_UID", "65534"});
  r = RunCli({"clean", "--from", "-", "--yes"}, env, false,
             tree_.PathUtf8("junk/system/b.tmp") + "\n");
  EXPECT_EQ(r.exitStatus, 2);
  EXPECT_THAT(r.err, HasSubstr("must start with the request header"));
  // Started by pkexec, it scans nothing itself.
  r = RunCli({"clean", "--yes", tree_.PathUtf8("junk")}, env, false);
  EXPECT_EQ(r.exitStatus, 2);
  EXPECT_THAT(r.err, HasSubstr("only a request given with --from"));
  // Rows without an identity to compare are refused before anything is removed.
  admin::AdminRequest request = Request();
  std::string text = admin::WriteAdminRequest(request);
  const std::size_t dev = text.rfind("\"dev\":");
  text.erase(dev, text.find(',', dev) - dev + 1);
  r = RunCli({"clean", "--from", "-", "--yes"}, env, false, text);
  EXPECT_EQ(r.exitStatus, 2);
  EXPECT_THAT(r.err, HasSubstr("line 3: no identity"));
  EXPECT_TRUE(Here("junk/system/b.tmp") && Here("junk/system/c.tmp"));
}

TEST_F(PrivilegedSideTest, RootByHandStillCleansAPlainListAsBefore) {
  const ProcessResult r = RunCli({"clean", "--from", "-", "--yes"}, env_, false,
                                 tree_.PathUtf8("junk/system/b.tmp") + "\n");
  EXPECT_EQ(r.exitStatus, 0) << r.err;
  EXPECT_THAT(r.out, HasSubstr("Deleted 1 file (3 bytes)"));
  EXPECT_FALSE(Here("junk/system/b.tmp"));
}

}  // namespace
}  // namespace kelvo::cli
