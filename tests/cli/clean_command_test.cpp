// kelvo-cli clean, run as a program on real trees: lists printed by scan are read back, edited and
// deleted; nothing is deleted without a yes.
#include <poll.h>
#include <pty.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <sstream>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "support/run_process.h"
#include "support/temp_tree.h"

namespace kelvo::cli {
namespace {

using testing::Exists;
using ::testing::HasSubstr;
using ::testing::Not;
using testing::ProcessResult;
using testing::RunProcess;
using testing::TempTree;

void WriteFile(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

std::string KeepLines(const std::string& text, const std::string& without) {
  std::istringstream in(text);
  std::string line, kept;
  while (std::getline(in, line))
    if (line.find(without) == std::string::npos) kept += line + "\n";
  return kept;
}

// Runs the program on a new terminal and types answer after the question, once meanwhile has run.
ProcessResult RunOnTerminal(const std::vector<std::string>& args, const std::string& answer,
                            const std::function<void()>& meanwhile = {}) {
  int master = -1;
  const pid_t pid = ::forkpty(&master, nullptr, nullptr, nullptr);
  if (pid < 0) return {};
  if (pid == 0) {
    std::vector<char*> argv{const_cast<char*>(KELVO_CLI_PATH)};
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    ::execv(KELVO_CLI_PATH, argv.data());
    ::_exit(127);
  }
  ProcessResult result;
  bool answered = false;
  char buffer[4096];
  for (;;) {
    pollfd p{master, POLLIN, 0};
    if (::poll(&p, 1, 60000) <= 0) break;  // a program waiting without a question never ends
    const ssize_t n = ::read(master, buffer, sizeof buffer);
    if (n <= 0) break;
    result.out.append(buffer, static_cast<std::size_t>(n));
    if (!answered && result.out.find("[y/N] ") != std::string::npos) {
      if (meanwhile) meanwhile();
      const std::string line = answer + "\n";
      if (::write(master, line.data(), line.size()) < 0) break;
      answered = true;
    }
  }
  ::kill(pid, SIGKILL);  // no-op when it has ended
  int status = 0;
  ::waitpid(pid, &status, 0);
  ::close(master);
  result.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  return result;
}

class CleanCommandTest : public ::testing::Test {
 protected:
  CleanCommandTest() {
    tree.File("junk/a.tmp", "abc");
    tree.File("junk/Temp/b.tmp", "12345");  // two rules, one file
    tree.File("junk/keep.txt", "keep");
  }
  std::string Junk(const std::string& rel = "") const { return tree.Path("junk/" + rel); }
  std::string ListFile(const std::string& text) {
    const std::string path = tree.Path("list");
    WriteFile(path, text);
    return path;
  }
  TempTree tree;
};

TEST_F(CleanCommandTest, ScanAndCleanDeletesEachFileOnce) {
  auto r = RunProcess(KELVO_CLI_PATH, {"clean", "--yes", Junk()});
  EXPECT_EQ(r.exitStatus, 0) << r.err;
  EXPECT_THAT(r.out, HasSubstr("Deleted 2 files (8 bytes), 0 already gone, 0 failed."));
  EXPECT_FALSE(Exists(Junk("a.tmp")));
  EXPECT_FALSE(Exists(Junk("Temp/b.tmp")));
  EXPECT_TRUE(Exists(Junk("Temp")));
  EXPECT_TRUE(Exists(Junk("keep.txt")));
}

TEST_F(CleanCommandTest, DryRunChangesNothing) {
  auto r = RunProcess(KELVO_CLI_PATH, {"clean", "--dry-run", Junk()});
  EXPECT_EQ(r.exitStatus, 0) << r.err;
  EXPECT_THAT(r.out, HasSubstr(Junk("a.tmp") + "\n"));
  EXPECT_THAT(r.out, HasSubstr("Would delete 2 files (8 bytes)."));
  auto list = RunProcess(KELVO_CLI_PATH, {"scan", "--format=json", Junk()});
  r = RunProcess(KELVO_CLI_PATH, {"clean", "--dry-run", "--from", "-"}, list.out);
  EXPECT_EQ(r.exitStatus, 0) << r.err;
  EXPECT_THAT(r.out, HasSubstr("Would delete 2 files (8 bytes)."));
  EXPECT_TRUE(Exists(Junk("a.tmp")));
  EXPECT_TRUE(Exists(Junk("Temp/b.tmp")));
}

TEST_F(CleanCommandTest, WithoutATerminalNothingIsDeletedUnlessYes) {
  auto r = RunProcess(KELVO_CLI_PATH, {"clean", Junk()});
  EXPECT_EQ(r.exitStatus, 2);
  EXPECT_THAT(r.err, HasSubstr("--yes"));
  auto list = RunProcess(KELVO_CLI_PATH, {"scan", "--format=tsv", Junk()});
  r = RunProcess(KELVO_CLI_PATH, {"clean", "--from", ListFile(list.out)}, "y\n");
  EXPECT_EQ(r.exitStatus, 2);
  EXPECT_TRUE(Exists(Junk("a.tmp")));
  EXPECT_TRUE(Exists(Junk("Temp/b.tmp")));
}

TEST_F(CleanCommandTest, OnATerminalTheAnswerDecides) {
  auto no = RunOnTerminal({"clean", Junk()}, "n");
  EXPECT_EQ(no.exitStatus, 0) << no.out;
  EXPECT_THAT(no.out, HasSubstr("Delete 2 files (8 bytes)? [y/N]"));
  EXPECT_THAT(no.out, HasSubstr("Nothing deleted."));
  EXPECT_TRUE(Exists(Junk("a.tmp")));

  auto yes = RunOnTerminal({"clean", Junk()}, "y");
  EXPECT_EQ(yes.exitStatus, 0) << yes.out;
  EXPECT_THAT(yes.out, HasSubstr("Deleted 2 files (8 bytes)"));
  EXPECT_FALSE(Exists(Junk("a.tmp")));
}

TEST_F(CleanCommandTest, AFileWrittenWhileTheQuestionWaitsStays) {
  tree.File("junk/zero.tmp", "");
  auto r = RunOnTerminal({"clean", Junk()}, "y",
                         [&] { std::ofstream(Junk("zero.tmp"), std::ios::app) << "now data"; });
  EXPECT_EQ(r.exitStatus, 1) << r.out;
  EXPECT_THAT(r.out, HasSubstr(Junk("zero.tmp") + ": changed since the scan"));
  EXPECT_TRUE(Exists(Junk("zero.tmp")));
}

TEST_F(CleanCommandTest, AnEditedListDeletesOnlyTheRowsLeft) {
  tree.File("junk/also.tmp");
  for (const char* format : {"--format=tsv", "--format=json"}) {
    tree.File("junk/a.tmp", "abc");
    auto list = RunProcess(KELVO_CLI_PATH, {"scan", format, Junk()});
    ASSERT_EQ(list.exitStatus, 0);
    const std::string edited = KeepLines(list.out, "a.tmp");
    ASSERT_NE(edited, list.out);
    auto r = RunProcess(KELVO_CLI_PATH, {"clean", "--yes", "--from", ListFile(edited)});
    EXPECT_EQ(r.exitStatus, 0) << format << r.err;
    EXPECT_TRUE(Exists(Junk("a.tmp"))) << format;
    EXPECT_FALSE(Exists(Junk("Temp/b.tmp"))) << format;
    tree.File("junk/Temp/b.tmp", "12345");
  }
}

// Names that need every escape and encoding of both list formats, deleted from the lists scan
// printed for them.
TEST_F(CleanCommandTest, ListsRoundTripOddNames) {
  const std::vector<std::string> names = {"new\nline.tmp",   "tab\there.tmp",     "back\\slash.tmp",
                                          "bad\xff\xfe.tmp", "中文目录/临时.tmp", "cr\r.tmp"};
  for (const char* format : {"--format=tsv", "--format=json"}) {
    for (const auto& n : names) tree.File("odd/" + n, "1");
    auto list = RunProcess(KELVO_CLI_PATH, {"scan", format, tree.Path("odd")});
    ASSERT_EQ(list.exitStatus, 0) << list.err;
    auto r = RunProcess(KELVO_CLI_PATH, {"clean", "--yes", "--from", "-"}, list.out);
    EXPECT_EQ(r.exitStatus, 0) << format << r.err;
    EXPECT_THAT(r.out, HasSubstr("Deleted 6 files (6 bytes), 0 already gone, 0 failed.")) << format;
    for (const auto& n : names) EXPECT_FALSE(Exists(tree.Path("odd/" + n))) << format << n;
  }
}

TEST_F(CleanCommandTest, JsonListsAreCheckedAgainstWhatTheScanSaw) {
  auto list = RunProcess(KELVO_CLI_PATH, {"scan", "--format=json", Junk()});
  // a.tmp is replaced by another file, b.tmp vanishes.
  tree.File("junk/new", "other");
  ASSERT_EQ(::rename(Junk("new").c_str(), Junk("a.tmp").c_str()), 0);
  ASSERT_EQ(::unlink(Junk("Temp/b.tmp").c_str()), 0);
  auto r = RunProcess(KELVO_CLI_PATH, {"clean", "--yes", "--from", ListFile(list.out)});
  EXPECT_EQ(r.exitStatus, 1);
  EXPECT_THAT(r.out, HasSubstr("Deleted 0 files (0 bytes), 1 already gone, 1 failed (1 changed "
                               "since the scan)."));
  EXPECT_THAT(r.err, HasSubstr("not deleted: " + Junk("a.tmp") + ": changed since the scan"));
  EXPECT_TRUE(Exists(Junk("a.tmp")));
}

TEST_F(CleanCommandTest, BadUsageAndBadListsExitWithTwo) {
  const std::string tsv = ListFile("a\t" + Junk("a.tmp") + "\tt\t3\n");
  EXPECT_EQ(RunProcess(KELVO_CLI_PATH, {"clean", "--yes", "--from", tsv, Junk()}).exitStatus, 2);
  EXPECT_EQ(RunProcess(KELVO_CLI_PATH, {"clean", "--yes", "--from", tree.Path("none")}).exitStatus,
            2);
  auto bad = RunProcess(KELVO_CLI_PATH, {"clean", "--yes", "--from", "-"}, "not a list\n");
  EXPECT_EQ(bad.exitStatus, 2);
  EXPECT_THAT(bad.err, HasSubstr("line 1"));
  EXPECT_EQ(RunProcess(KELVO_CLI_PATH, {"clean", "--patterns=99", Junk()}).exitStatus, 2);
  EXPECT_TRUE(Exists(Junk("a.tmp")));
  auto empty = RunProcess(KELVO_CLI_PATH, {"clean", "--from", "-"}, "\n");
  EXPECT_EQ(empty.exitStatus, 0);
  EXPECT_THAT(empty.out, HasSubstr("Nothing to delete."));
  EXPECT_THAT(empty.out, Not(HasSubstr("Deleted")));
}

TEST_F(CleanCommandTest, EmptyNamesAndIgnoredOptionsAreUsageErrors) {
  const std::vector<std::vector<std::string>> refused = {
      {"clean", "--dry-run", "--from", ""},  // never "scan every disk"
      {"clean", "--dry-run", "--from=", ListFile("")},
      {"audit-dlls", "--prefix", ""},
      {"clean", "--format=tsv", "--dry-run", Junk()},
      {"clean", "--dry-run", "--patterns=all", "--from", ListFile("")},
      {"clean", "--dry-run", "--threads=2", "--from", ListFile("")},
  };
  for (const auto& args : refused) {
    auto r = RunProcess(KELVO_CLI_PATH, args);
    EXPECT_EQ(r.exitStatus, 2) << args[1] << args[2];
    EXPECT_EQ(r.out, "");
  }
  auto threads = RunProcess(KELVO_CLI_PATH, {"clean", "--dry-run", "--threads=1", Junk()});
  EXPECT_EQ(threads.exitStatus, 0) << threads.err;
  EXPECT_THAT(threads.out, HasSubstr("Would delete 2 files (8 bytes)."));
}

TEST_F(CleanCommandTest, AlteredListsAreRefusedWholeAndAByteOrderMarkIsNot) {
  auto list = RunProcess(KELVO_CLI_PATH, {"scan", "--format=json", Junk()});
  tree.File("junk/thesis.odt", "mine");
  const std::string nul = "{\"path\":\"" + Junk("thesis.odt") + "\\u0000.tmp\"}\n";
  auto r = RunProcess(KELVO_CLI_PATH, {"clean", "--yes", "--from", "-"}, list.out + nul);
  EXPECT_EQ(r.exitStatus, 2);
  EXPECT_EQ(r.err, "kelvo-cli: --from: -: line 4: the path holds a NUL byte\n");
  EXPECT_TRUE(Exists(Junk("thesis.odt")));
  EXPECT_TRUE(Exists(Junk("a.tmp")));

  r = RunProcess(KELVO_CLI_PATH, {"clean", "--yes", "--from", "-"}, "\xEF\xBB\xBF" + list.out);
  EXPECT_EQ(r.exitStatus, 0) << r.err;
  EXPECT_FALSE(Exists(Junk("a.tmp")));
}

// Folders inside a temp folder are rows, but only an empty-folder row may remove a folder.
TEST(CleanFolderRows, AreKeptAndCountedApartNotAsFailures) {
  TempTree tree;
  tree.File("Temp/f", "12");
  tree.Dir("Temp/.hidden");
  tree.Dir("Temp/ro", 0555);
  const std::string kept = "2 folder rows kept: folders are never deleted with their contents.\n";
  auto dry = RunProcess(KELVO_CLI_PATH, {"clean", "--dry-run", tree.Path("Temp")});
  EXPECT_EQ(dry.exitStatus, 0) << dry.err;
  EXPECT_EQ(dry.out, tree.Path("Temp/f") + "\nWould delete 1 file (2 bytes).\n" + kept);

  auto list = RunProcess(KELVO_CLI_PATH, {"scan", "--format=tsv", tree.Path("Temp")});
  auto r = RunProcess(KELVO_CLI_PATH, {"clean", "--yes", "--from", "-"}, list.out);
  EXPECT_EQ(r.exitStatus, 0) << r.err;
  EXPECT_EQ(r.out, "Deleted 1 file (2 bytes), 0 already gone, 0 failed.\n" + kept);
  EXPECT_EQ(r.err, "");
  EXPECT_TRUE(Exists(tree.Path("Temp/.hidden")));
  EXPECT_TRUE(Exists(tree.Path("Temp/ro")));
}

// Names with control bytes must not drive the terminal of the one reviewing them; data stays exact.
TEST(CleanTerminalText, ControlBytesInNamesAreShownEscaped) {
  TempTree tree;
  tree.File("Temp/a\x1b[2J\x07\xc2\x9bz", "1");
  const std::string shown = tree.Path("Temp/a\\x1b[2J\\x07\\xc2\\x9bz");
  auto dry = RunProcess(KELVO_CLI_PATH, {"clean", "--dry-run", tree.Path("Temp")});
  EXPECT_EQ(dry.out, shown + "\nWould delete 1 file (1 bytes).\n");
  auto text = RunProcess(KELVO_CLI_PATH, {"scan", tree.Path("Temp")});
  EXPECT_EQ(text.out, "             1  Temp临时文件      " + shown + "\n");

  auto list = RunProcess(KELVO_CLI_PATH, {"scan", "--format=json", tree.Path("Temp")});
  ASSERT_EQ(::unlink(tree.Path("Temp/a\x1b[2J\x07\xc2\x9bz").c_str()), 0);
  tree.Dir("Temp/a\x1b[2J\x07\xc2\x9bz");
  auto r = RunProcess(KELVO_CLI_PATH, {"clean", "--yes", "--from", "-"}, list.out);
  EXPECT_EQ(r.err, "kelvo-cli: not deleted: " + shown + ": changed since the scan\n");
}

TEST(CleanOutput, AFailedWriteIsAFailure) {
  TempTree tree;
  tree.File("Temp/f", "1");
  auto r = RunProcess("/bin/sh", {"-c", "exec \"$0\" clean --dry-run \"$1\" >/dev/full",
                                  KELVO_CLI_PATH, tree.Path("Temp")});
  EXPECT_EQ(r.exitStatus, 1);
  EXPECT_EQ(r.err, "kelvo-cli: writing the output failed\n");
  EXPECT_TRUE(Exists(tree.Path("Temp/f")));
}

// The keep-list and the trash, with a settings file and a trash of the test's own.
class KeepAndTrashTest : public CleanCommandTest {
 protected:
  KeepAndTrashTest() {
    for (const char* name : {"XDG_CONFIG_HOME", "XDG_DATA_HOME"})
      if (const char* old = std::getenv(name)) saved_.emplace_back(name, old);
    ::setenv("XDG_CONFIG_HOME", home.Path("config").c_str(), 1);
    ::setenv("XDG_DATA_HOME", home.Path("data").c_str(), 1);
  }
  ~KeepAndTrashTest() override {
    ::unsetenv("XDG_CONFIG_HOME");
    ::unsetenv("XDG_DATA_HOME");
    for (const auto& [name, value] : saved_) ::setenv(name.c_str(), value.c_str(), 1);
  }
  ProcessResult Cli(const std::vector<std::string>& args) {
    return RunProcess(KELVO_CLI_PATH, args);
  }
  TempTree home;

 private:
  std::vector<std::pair<std::string, std::string>> saved_;
};

TEST_F(KeepAndTrashTest, KeepEditsTheStoredListFoldersByTheirPathOnDisk) {
  tree.Symlink(Junk("Temp"), "link");
  auto r = Cli({"keep", "add", tree.Path("link/"), "*.bak"});
  EXPECT_EQ(r.exitStatus, 0) << r.err;
  EXPECT_EQ(Cli({"keep", "add", "*.bak"}).out, "already kept: pattern *.bak\n");
  EXPECT_EQ(Cli({"keep", "list"}).out, "folder  " + Junk("Temp") + "\npattern *.bak\n");
  EXPECT_EQ(Cli({"keep", "remove", "*.bak", "nothing"}).exitStatus, 1);
  r = Cli({"keep", "remove", tree.Path("link")});
  EXPECT_EQ(r.exitStatus, 0) << r.err;
  EXPECT_EQ(Cli({"keep", "list"}).out, "");
  EXPECT_EQ(Cli({"keep", "frobnicate"}).exitStatus, 2);
}

TEST_F(KeepAndTrashTest, ScanAndCleanHoldBackWhatTheListKeepsAndCountIt) {
  ASSERT_EQ(Cli({"keep", "add", Junk("Temp")}).exitStatus, 0);
  auto r = Cli({"scan", "--format=tsv", Junk()});
  EXPECT_THAT(r.out, Not(HasSubstr("b.tmp")));
  EXPECT_THAT(r.err, HasSubstr(", 1 held back by the keep-list"));
  r = Cli({"scan", "--format=tsv", "--no-keep-list", "--keep=*.tmp", Junk()});
  EXPECT_EQ(r.out, "");
  EXPECT_THAT(r.err, HasSubstr(", 2 held back by the keep-list"));  // a.tmp, Temp/b.tmp
  auto list = Cli({"scan", "--format=json", "--no-keep-list", Junk()});
  r = RunProcess(KELVO_CLI_PATH, {"clean", "--yes", "--from", "-"}, list.out);
  EXPECT_EQ(r.exitStatus, 0) << r.err;
  EXPECT_THAT(r.out, HasSubstr("Deleted 1 file (3 bytes)"));
  EXPECT_THAT(r.err, HasSubstr("held back by the keep-list"));
  EXPECT_TRUE(Exists(Junk("Temp/b.tmp")));
  EXPECT_FALSE(Exists(Junk("a.tmp")));
}

TEST_F(KeepAndTrashTest, CleanTrashAsksToMoveAndTheFilesCanBeRestored) {
  auto dry = Cli({"clean", "--trash", "--dry-run", Junk()});
  EXPECT_THAT(dry.out, HasSubstr("Would move 2 files (8 bytes) to the trash."));
  auto no = RunOnTerminal({"clean", "--trash", Junk()}, "n");
  EXPECT_THAT(no.out, HasSubstr("Move 2 files (8 bytes) to the trash? [y/N]"));
  EXPECT_TRUE(Exists(Junk("a.tmp")));
  auto yes = RunOnTerminal({"clean", "--trash", Junk()}, "y");
  EXPECT_EQ(yes.exitStatus, 0) << yes.out;
  EXPECT_THAT(yes.out, HasSubstr("Moved 2 files (8 bytes) to the trash (" +
                                 home.Path("data/Trash") + "), 0 already gone, 0 failed."));
  EXPECT_FALSE(Exists(Junk("a.tmp")));
  std::ifstream moved(home.Path("data/Trash/files/a.tmp"));
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(moved), {}), "abc");
  EXPECT_TRUE(Exists(home.Path("data/Trash/info/b.tmp.trashinfo")));
}

// The settings file named by KELVO_SETTINGS_FILE, for kelvo-cli as for the window.
class UnreadableSettingsTest : public KeepAndTrashTest {
 protected:
  UnreadableSettingsTest() { ::setenv("KELVO_SETTINGS_FILE", home.Path("setting.ini").c_str(), 1); }
  ~UnreadableSettingsTest() override { ::unsetenv("KELVO_SETTINGS_FILE"); }
  // Under a time limit: a program that blocks on the settings file ends with 124.
  ProcessResult Timed(std::vector<std::string> args) {
    args.insert(args.begin(), {"20", KELVO_CLI_PATH});
    return RunProcess("/usr/bin/timeout", args);
  }
};

TEST_F(UnreadableSettingsTest, TheCommandLineUsesTheFileTheWindowUses) {
  ASSERT_EQ(Cli({"keep", "add", "--pattern", "*.bak"}).exitStatus, 0);
  std::ifstream written(home.Path("setting.ini"));
  EXPECT_THAT(std::string(std::istreambuf_iterator<char>(written), {}),
              HasSubstr("pattern0=\"*.bak\""));
}

TEST_F(UnreadableSettingsTest, AListThatCannotBeReadStopsCleanAndIsSaidByScanAndKeep) {
  for (const std::string form : {"folder", "fifo", "device"}) {
    SCOPED_TRACE(form);
    const std::string path = home.Path("setting.ini");
    ::unlink(path.c_str());
    ::rmdir(path.c_str());
    const int made = form == "folder" ? ::mkdir(path.c_str(), 0700)
                     : form == "fifo" ? ::mkfifo(path.c_str(), 0600)
                                      : ::symlink("/dev/zero", path.c_str());
    ASSERT_EQ(made, 0);
    const std::string said = "the keep-list cannot be read from " + path + ": ";

    auto r = Timed({"keep", "list"});
    EXPECT_EQ(r.exitStatus, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_THAT(r.err, HasSubstr(said));
    r = Timed({"keep", "add", "--pattern", "*.iso"});
    EXPECT_EQ(r.exitStatus, 1);

    r = Timed({"clean", "--yes", Junk()});
    EXPECT_EQ(r.exitStatus, 2);
    EXPECT_THAT(r.err, HasSubstr(said));
    EXPECT_THAT(r.err, HasSubstr("nothing deleted"));
    EXPECT_TRUE(Exists(Junk("a.tmp")));
    r = RunProcess("/usr/bin/timeout", {"20", KELVO_CLI_PATH, "clean", "--yes", "--from", "-"},
                   Junk("a.tmp") + "\n");
    EXPECT_EQ(r.exitStatus, 2);
    EXPECT_TRUE(Exists(Junk("a.tmp")));

    r = Timed({"scan", "--format=tsv", Junk()});
    EXPECT_EQ(r.exitStatus, 1);
    EXPECT_THAT(r.out, HasSubstr("a.tmp"));
    EXPECT_THAT(r.err, HasSubstr("kelvo-cli: warning: " + said));
    EXPECT_THAT(r.err, HasSubstr("scanning without the stored keep-list"));
    // Without the stored list nothing is read, and nothing stops.
    EXPECT_EQ(Timed({"clean", "--dry-run", "--no-keep-list", Junk()}).exitStatus, 0);
  }
}

TEST_F(KeepAndTrashTest, PatternsThatCanNeverMatchAreRefused) {
  auto r = Cli({"keep", "add", "--pattern", "a//b", "x/../y", "./z", "*.[ch", "*.iso"});
  EXPECT_EQ(r.exitStatus, 1);
  EXPECT_THAT(r.err, HasSubstr("keep add: a//b: not stored: an empty component"));
  EXPECT_THAT(r.err, HasSubstr("keep add: x/../y: not stored: a \".\" or \"..\" component"));
  EXPECT_THAT(r.err, HasSubstr("keep add: ./z: not stored"));
  EXPECT_THAT(r.err, HasSubstr("keep add: *.[ch: not stored: a \"[\" class is not closed"));
  EXPECT_EQ(Cli({"keep", "list"}).out, "pattern *.iso\n");
  // A path that is no folder becomes a pattern, and is refused the same way.
  EXPECT_EQ(Cli({"keep", "add", Junk("gone/../a.tmp")}).exitStatus, 1);
  r = Cli({"scan", "--keep=" + Junk() + "//a.tmp", Junk()});
  EXPECT_EQ(r.exitStatus, 2);
  EXPECT_THAT(r.err, HasSubstr("an empty component"));
}

TEST(CleanList, AnEndlessListStopsAtTheLimitWithAMessage) {
  auto r = RunProcess(KELVO_CLI_PATH, {"clean", "--dry-run", "--from", "/dev/zero"});
  EXPECT_EQ(r.exitStatus, 2);
  EXPECT_EQ(r.err, "kelvo-cli: --from: list larger than 512 MiB: /dev/zero\n");
}

}  // namespace
}  // namespace kelvo::cli

namespace kelvo::cli {
namespace {

// Every list form and mode meets the same gate: what a dry run lists is what the real run
// removes, and folders, package files, special files and what the keep-list gained meanwhile stay.
TEST_F(KeepAndTrashTest, EveryListAndModePassesTheSameChecks) {
  tree.File("full/inside.odt", "mine");
  ::mkfifo(tree.Path("pipe").c_str(), 0600);
  auto r = RunProcess(KELVO_CLI_PATH, {"clean", "--from0", "-", "--trash", "--dry-run"},
                      tree.Path("full/") + std::string(1, '\0'));
  EXPECT_EQ(r.out,
            "Would move 0 files (0 bytes) to the trash.\n"
            "1 would not be removed: the folder is not empty\n");
  r = RunProcess(KELVO_CLI_PATH, {"clean", "--from0", "-", "--trash", "--yes"},
                 tree.Path("full/") + std::string(1, '\0'));
  EXPECT_TRUE(Exists(tree.Path("full/inside.odt")));
  EXPECT_FALSE(Exists(home.Path("data/Trash/files/full")));

  // /usr/bin/ls belongs to coreutils on this system; a NUL list does not pass it.
  r = RunProcess(KELVO_CLI_PATH, {"clean", "--from0", "-", "--dry-run"},
                 std::string("/usr/bin/ls") + std::string(1, '\0'));
  EXPECT_EQ(r.out, "Would delete 0 files (0 bytes).\n");
  EXPECT_THAT(r.err, HasSubstr("1 hits kept as package files"));

  r = RunProcess(KELVO_CLI_PATH, {"clean", "--from", "-", "--yes"},
                 tree.Path("pipe") + "\n" + tree.Path("junk/../junk/a.tmp") + "\n");
  EXPECT_EQ(r.exitStatus, 1);
  EXPECT_THAT(r.err, HasSubstr("not a file (a device, FIFO or socket)"));
  EXPECT_THAT(r.err, HasSubstr("not a plain path below its scan root"));
  EXPECT_TRUE(Exists(tree.Path("pipe")));
  EXPECT_TRUE(Exists(Junk("a.tmp")));
}

TEST_F(KeepAndTrashTest, AnEntryKeptWhileTheQuestionWaitsIsKept) {
  auto r = RunOnTerminal({"clean", Junk()}, "y", [&] {
    EXPECT_EQ(Cli({"keep", "add", "--pattern", "*/a.tmp"}).exitStatus, 0);
  });
  EXPECT_THAT(r.out, HasSubstr("Delete 2 files (8 bytes)?"));
  EXPECT_THAT(r.out, HasSubstr("Deleted 1 file (5 bytes), 0 already gone, 1 kept by the keep-list"));
  EXPECT_TRUE(Exists(Junk("a.tmp")));
  EXPECT_FALSE(Exists(Junk("Temp/b.tmp")));
}

}  // namespace
}  // namespace kelvo::cli
