#include "settings/boot_cleanup.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "support/file_text.h"
#include "support/run_process.h"
#include "support/temp_tree.h"

namespace kelvo::settings {
namespace {

using kelvo::testing::FileText;
using kelvo::testing::TempTree;

BootCleanupTarget Batch(const std::string& file) {
  return {file, "Deltree /y C:\\WINDOWS\\temp\\*.*", "\r\n"};
}

TEST(BootCleanup, DefaultTargetEmptiesTmpAtEveryBoot) {
  EXPECT_EQ(GetWinDir(), "/");
  BootCleanupTarget target = DefaultBootCleanupTarget();
  EXPECT_EQ(target.file, "/etc/tmpfiles.d/kelvo-temp-cleanup.conf");
  // "D" removes the folder's contents when systemd-tmpfiles runs with --remove; "!" limits the
  // line to the run at boot.
  EXPECT_EQ(target.line, "D! /tmp 1777 root root -");
  EXPECT_EQ(target.ending, "\n");
}

TEST(BootCleanup, MissingFileIsCreatedHoldingJustTheLine) {
  TempTree tree;
  const std::string path = tree.Path("Autoexec.bat");
  ASSERT_FALSE(WriteBootCleanup(Batch(path)));
  EXPECT_EQ(FileText(path), "Deltree /y C:\\WINDOWS\\temp\\*.*\r\n");
}

TEST(BootCleanup, EarlierLinesStayAndTheLineIsAppendedOnce) {
  TempTree tree;
  const std::string before =
      "@ECHO OFF\r\nSET PATH=C:\\DOS;C:\\WINDOWS\r\nREM \xC0\xAC\xBB\xF8\r\n\r\nLH MOUSE";
  tree.File("Autoexec.bat", before);
  const std::string path = tree.Path("Autoexec.bat");
  for (int tick = 0; tick < 3; ++tick) ASSERT_FALSE(WriteBootCleanup(Batch(path)));
  EXPECT_EQ(FileText(path), before + "\r\nDeltree /y C:\\WINDOWS\\temp\\*.*\r\n");
}

TEST(BootCleanup, ALinePresentOnceLeavesTheFileUntouched) {
  TempTree tree;
  const std::string content = "D! /tmp 1777 root root -\n# mine\n";
  tree.File("kelvo.conf", content, 0600);
  const std::string path = tree.Path("kelvo.conf");
  struct stat before {};
  ::stat(path.c_str(), &before);
  ASSERT_FALSE(WriteBootCleanup({path, "D! /tmp 1777 root root -", "\n"}));
  struct stat after {};
  ::stat(path.c_str(), &after);
  EXPECT_EQ(after.st_ino, before.st_ino);
  EXPECT_EQ(FileText(path), content);
}

TEST(BootCleanup, OnlyAWholeLineCounts) {
  BootCleanupTarget target{"unused", "D! /tmp 1777 root root -", "\n"};
  // A longer line, a commented one and one with other blanks do not hold the line.
  const std::string content =
      "D! /tmp 1777 root root - extra\n# D! /tmp 1777 root root -\nD!  /tmp 1777 root root -\n";
  EXPECT_EQ(WithCleanupLine(content, target), content + "D! /tmp 1777 root root -\n");
  // A last line without its line end still counts as a whole line.
  EXPECT_EQ(WithCleanupLine("x\nD! /tmp 1777 root root -", target), std::nullopt);
}

TEST(BootCleanup, ExtraCopiesAreDroppedLeavingTheFirst) {
  BootCleanupTarget target = Batch("unused");
  const std::string line = "Deltree /y C:\\WINDOWS\\temp\\*.*";
  EXPECT_EQ(WithCleanupLine("A\r\n" + line + "\r\nB\r\n" + line + "\r\n" + line + "\r\n", target),
            "A\r\n" + line + "\r\nB\r\n");
}

TEST(BootCleanup, TheLineGoesBeforeADosEndOfFileMark) {
  BootCleanupTarget target = Batch("unused");
  EXPECT_EQ(WithCleanupLine("@ECHO OFF\r\n\x1A", target),
            "@ECHO OFF\r\nDeltree /y C:\\WINDOWS\\temp\\*.*\r\n\x1A");
}

TEST(BootCleanup, FailuresAreReturnedWithTheirReason) {
  TempTree tree;
  tree.File("not-a-folder", "x");
  // Unwritable even for root: the parent is a regular file.
  EXPECT_EQ(WriteBootCleanup(Batch(tree.Path("not-a-folder/Autoexec.bat"))),
            std::make_error_code(std::errc::not_a_directory));
  EXPECT_EQ(WriteBootCleanup(Batch(tree.Path("missing/Autoexec.bat"))),
            std::make_error_code(std::errc::no_such_file_or_directory));
  tree.Dir("Autoexec.bat");
  EXPECT_TRUE(WriteBootCleanup(Batch(tree.Path("Autoexec.bat"))));
}

TEST(BootCleanup, PermissionsOfTheFileAreKept) {
  TempTree tree;
  tree.File("kelvo.conf", "# header\n", 0644);
  const std::string path = tree.Path("kelvo.conf");
  ASSERT_FALSE(WriteBootCleanup({path, "D! /tmp 1777 root root -", "\n"}));
  struct stat st {};
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0644u);
  EXPECT_EQ(FileText(path), "# header\nD! /tmp 1777 root root -\n");
}

// A fake root with the vendor's rules; Kelvo's own file is left out of the search.
TEST(BootCleanup, TheSystemsOwnRuleIsFoundAndKeptInForce) {
  TempTree root;
  root.File("usr/lib/tmpfiles.d/tmp.conf", "# vendor\nD /tmp 1777 root root -\n");
  root.File("usr/lib/tmpfiles.d/x11.conf", "D! /tmp/.X11-unix 1777 root root 10d\n");
  root.File("etc/tmpfiles.d/kelvo-temp-cleanup.conf", "D! /tmp 1777 root root -\n");
  BootCleanupTarget target = DefaultBootCleanupTarget();
  target.configRoot = root.root();
  EXPECT_EQ(BootCleanupDoneBy(target), "/usr/lib/tmpfiles.d/tmp.conf:2: D /tmp 1777 root root -");

  // An administrator's file of the same name hides the vendor's; Fedora's rule only ages files.
  root.File("etc/tmpfiles.d/tmp.conf", "q /tmp 1777 root root 10d\n");
  EXPECT_EQ(BootCleanupDoneBy(target), std::nullopt);
  root.Symlink("/dev/null", "etc/tmpfiles.d/tmp.conf.new");
  ASSERT_EQ(::rename(root.Path("etc/tmpfiles.d/tmp.conf.new").c_str(),
                     root.Path("etc/tmpfiles.d/tmp.conf").c_str()),
            0);
  EXPECT_EQ(BootCleanupDoneBy(target), std::nullopt);
}

// systemd-tmpfiles itself agrees: the rule named empties /tmp at boot.
TEST(BootCleanup, TheFoundRuleEmptiesTmpUnderSystemdTmpfiles) {
  if (::access("/usr/bin/systemd-tmpfiles", X_OK) != 0) GTEST_SKIP() << "no systemd-tmpfiles";
  TempTree root;
  root.File("usr/lib/tmpfiles.d/tmp.conf", "D /tmp 1777 root root -\n");
  root.File("tmp/junk.tmp", "x");
  BootCleanupTarget target = DefaultBootCleanupTarget();
  target.configRoot = root.root();
  ASSERT_TRUE(BootCleanupDoneBy(target));
  auto run = kelvo::testing::RunProcess(
      "/usr/bin/systemd-tmpfiles", {"--root=" + root.root(), "--boot", "--remove", "--create"});
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_NE(::access(root.Path("tmp/junk.tmp").c_str(), F_OK), 0);
}

}  // namespace
}  // namespace kelvo::settings
