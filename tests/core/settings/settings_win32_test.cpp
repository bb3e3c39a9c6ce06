// What only Windows does: the bytes the profile functions write, the settings file beside the
// program, the Windows directory, and the boot-file line written into a file of the test.
#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/known_folders.h"
#include "settings/boot_cleanup.h"
#include "settings/keep_list_file.h"
#include "settings/settings_file.h"
#include "support/file_text.h"
#include "support/temp_tree.h"

namespace kelvo::settings {
namespace {

using kelvo::testing::FileText;
using kelvo::testing::TempTree;

NativeString WindowsDirectory() {
  wchar_t buffer[MAX_PATH];
  const UINT n = ::GetWindowsDirectoryW(buffer, MAX_PATH);
  return NativeString(buffer, n);
}

TEST(SettingsFileWin32, TheProfileFunctionsWriteLinesEndingInCrLf) {
  TempTree tree;
  const NativeString ini = tree.Path("new folder/setting.ini");
  ASSERT_FALSE(WriteIniValue(ini, kShowSection, kTipsKey, "1"));
  ASSERT_FALSE(WriteIniValue(ini, kCheckSection, kBootCleanupKey, "0"));
  ASSERT_FALSE(WriteIniValue(ini, kPatternListSection, PatternListKey(1), "1"));
  ASSERT_FALSE(WriteIniValue(ini, kShowSection, kTipsKey, "0"));
  EXPECT_EQ(FileText(ini), "[show]\r\nts=0\r\n[check]\r\ncheck1=0\r\n[list1]\r\nlist1=1\r\n");
}

TEST(KeepListFileWin32, TheListRoundTripsThroughTheProfileFunctionsAndOtherKeysStay) {
  TempTree tree;
  const NativeString ini = tree.Path("setting.ini");
  ASSERT_FALSE(WriteIniValue(ini, kShowSection, kTipsKey, "1"));
  const std::vector<KeepEntry> entries = {
      {KeepEntry::Kind::kFolder, L"C:\\Users\\\u5F20 \u4E09\\photos "},
      {KeepEntry::Kind::kPattern, L"**\\node_modules"}};
  ASSERT_FALSE(WriteKeepList(ini, entries));
  EXPECT_EQ(ReadKeepList(ini).value(), entries);
  std::size_t removed = 0;
  ASSERT_FALSE(RemoveKeepEntry(ini, L"**\\node_modules", removed));
  EXPECT_EQ(removed, 1u);
  EXPECT_EQ(ReadKeepList(ini).value(), std::vector<KeepEntry>{entries[0]});
  EXPECT_EQ(ReadTipsSwitch(ini), 1);
}

TEST(SettingsFileWin32, TheFileLivesBesideTheProgram) {
  EXPECT_EQ(SettingsFilePath(), platform::ProgramFolder() + L"\\setting.ini");
}

TEST(WindowsFolders, GetWinDirEndsInExactlyOneBackslash) {
  const NativeString windows = WindowsDirectory();
  ASSERT_FALSE(windows.empty());
  EXPECT_EQ(GetWinDir(), windows.back() == L'\\' ? windows : windows + L"\\");
  EXPECT_NE(GetWinDir().substr(GetWinDir().size() - 2), L"\\\\");
}

TEST(BootCleanupWin32, TheLineEmptiesTheTempFolderOfTheWindowsDirectory) {
  const BootCleanupTarget target = DefaultBootCleanupTarget();
  EXPECT_EQ(target.file, L"c:\\Autoexec.bat");
  // The Windows directory in the ANSI code page; it is plain ASCII on the test machines.
  EXPECT_EQ(target.line, "Deltree /y " + NativeToUtf8(GetWinDir()) + "temp\\*.*");
  EXPECT_EQ(target.ending, "\r\n");
}

TEST(BootCleanupWin32, TheBootFileIsCreatedOnceAndKeepsEarlierLines) {
  TempTree tree;
  BootCleanupTarget target = DefaultBootCleanupTarget();
  target.file = tree.Path("Autoexec.bat");
  const std::string line = target.line + "\r\n";
  ASSERT_FALSE(WriteBootCleanup(target));
  EXPECT_EQ(FileText(target.file), line);
  ASSERT_FALSE(WriteBootCleanup(target));  // ticking again does not add a second line
  EXPECT_EQ(FileText(target.file), line);

  target.file = tree.Path("other.bat");
  tree.File("other.bat", "@echo off\r\nPATH C:\\DOS");
  ASSERT_FALSE(WriteBootCleanup(target));
  EXPECT_EQ(FileText(target.file), "@echo off\r\nPATH C:\\DOS\r\n" + line);
}

TEST(BootCleanupWin32, AFileThatCannotBeWrittenGivesTheReasonAndStaysAsItWas) {
  TempTree tree;
  BootCleanupTarget target = DefaultBootCleanupTarget();
  target.file = tree.Path("missing folder/Autoexec.bat");
  EXPECT_TRUE(WriteBootCleanup(target));
  target.file = tree.Path("locked.bat");
  tree.File("locked.bat", "REM keep\r\n");
  HANDLE h =
      ::CreateFileW(target.file.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(WriteBootCleanup(target));
  ::CloseHandle(h);
  EXPECT_EQ(FileText(target.file), "REM keep\r\n");
}

}  // namespace
}  // namespace kelvo::settings
