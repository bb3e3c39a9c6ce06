// A Wine prefix built in a temporary folder: Windows paths mapped through dosdevices/, and the
// shared-DLL audit read end to end from its system.reg.
#include <stdlib.h>
#include <unistd.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>

#include "components/shared_dll_audit.h"
#include "platform/posix/wine_prefix.h"
#include "support/recording_scan.h"
#include "support/temp_tree.h"

namespace kelvo::platform {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using testing::TempTree;

// Sets an environment variable for the life of the object.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const std::string& value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    ::setenv(name, value.c_str(), 1);
  }
  ~ScopedEnv() {
    if (old_)
      ::setenv(name_, old_->c_str(), 1);
    else
      ::unsetenv(name_);
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

// A prefix as Wine lays it out: drive_c, and dosdevices/c: linking to it.
void MakePrefix(TempTree& tree, const std::string& prefix) {
  tree.Dir(prefix + "/drive_c/windows/system32");
  tree.Dir(prefix + "/dosdevices");
  tree.Symlink("../drive_c", prefix + "/dosdevices/c:");
}

void WriteSystemReg(TempTree& tree, const std::string& prefix, const std::string& valueLines) {
  tree.File(prefix + "/system.reg",
            "WINE REGISTRY Version 2\n"
            ";; All keys relative to REGISTRY\\\\Machine\n"
            "\n"
            "#arch=win64\n"
            "\n"
            "[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion] 1796680553\n"
            "#time=1dd8695bab517aa\n"
            "\"ProgramFilesDir\"=\"C:\\\\Program Files\"\n"
            "\n"
            "[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\SharedDLLs] 1796680555\n"
            "#time=1dd8695bbf5fea4\n" +
                valueLines + "\n");
}

TEST(WinePaths, MapsDriveLettersAndComponentsIgnoringCase) {
  TempTree tree;
  MakePrefix(tree, "p");
  tree.File("p/drive_c/windows/system32/Orphan.DLL", "12345");
  tree.File("p/drive_c/Program Files/演示/Ünï.ocx", "1234567");
  tree.Dir("p/drive_c/windows/system32/folder.dll");
  const std::string prefix = tree.Path("p");

  EXPECT_EQ(WineFileSize(prefix, "C:\\windows\\system32\\Orphan.DLL"), 5u);
  EXPECT_EQ(WineFileSize(prefix, "c:\\WINDOWS\\System32\\orphan.dll"), 5u);
  EXPECT_EQ(WineFileSize(prefix, "C:/windows//system32/./x/../orphan.dll"), 5u);
  EXPECT_EQ(WineFileSize(prefix, "\\\\?\\C:\\windows\\system32\\orphan.dll"), 5u);
  EXPECT_EQ(WineFileSize(prefix, "C:\\PROGRAM FILES\\演示\\üNÏ.OCX"), 7u);
  EXPECT_EQ(MapWindowsPath(prefix, "c:\\windows\\SYSTEM32\\orphan.dll"),
            prefix + "/dosdevices/c:/windows/system32/Orphan.DLL");

  EXPECT_EQ(WineFileSize(prefix, "C:\\windows\\system32\\missing.dll"), std::nullopt);
  EXPECT_EQ(WineFileSize(prefix, "C:\\windows\\system32\\folder.dll"), std::nullopt);
  EXPECT_EQ(WineFileSize(prefix, "C:\\"), std::nullopt);
  EXPECT_EQ(WineFileSize(prefix, "D:\\orphan.dll"), std::nullopt);  // no such drive
  EXPECT_EQ(WineFileSize(prefix, "\\\\server\\share\\orphan.dll"), std::nullopt);
  EXPECT_EQ(WineFileSize(prefix, "windows\\system32\\orphan.dll"), std::nullopt);
  EXPECT_EQ(WineFileSize(prefix, "C:windows\\system32\\orphan.dll"), std::nullopt);
  EXPECT_EQ(WineFileSize(prefix, "ORPHAN.DLL"), std::nullopt);
  EXPECT_EQ(WineFileSize(prefix, ""), std::nullopt);
  EXPECT_EQ(WineFileSize(tree.Path("nowhere"), "C:\\windows\\system32\\orphan.dll"), std::nullopt);
  // ".." never leaves the drive.
  EXPECT_EQ(WineFileSize(prefix, "C:\\..\\..\\windows\\system32\\orphan.dll"), 5u);
}

TEST(WinePaths, PrefersTheExactNameAndOtherwiseTheFirstInByteOrder) {
  TempTree tree;
  MakePrefix(tree, "p");
  tree.File("p/drive_c/a/X.dll", "1");
  tree.File("p/drive_c/a/x.DLL", "22");
  tree.File("p/drive_c/a/x.dll", "333");
  const std::string prefix = tree.Path("p");
  EXPECT_EQ(WineFileSize(prefix, "C:\\a\\x.DLL"), 2u);
  EXPECT_EQ(WineFileSize(prefix, "C:\\a\\X.DLL"), 1u);  // "X.dll" sorts first
}

TEST(WinePaths, DefaultPrefixIsWineprefixElseTheHomeFolder) {
  {
    ScopedEnv prefix("WINEPREFIX", "/somewhere/prefix");
    EXPECT_EQ(DefaultWinePrefix(), "/somewhere/prefix");
  }
  ScopedEnv empty("WINEPREFIX", "");
  ScopedEnv home("HOME", "/home/someone");
  EXPECT_EQ(DefaultWinePrefix(), "/home/someone/.wine");
}

TEST(WineRegistryPrefix, AuditsThePrefixInWineprefixEndToEnd) {
  TempTree tree;
  MakePrefix(tree, "p");
  tree.File("p/drive_c/windows/system32/orphan.dll", std::string(1000, 'x'));
  tree.File("p/drive_c/Program Files/Demo/演示.dll", "abc");
  tree.File("p/drive_c/windows/system32/used.dll", "used");
  WriteSystemReg(tree, "p",
                 "\"C:\\\\Program Files\\\\Demo\\\\helper.ocx\"=\"0\"\n"
                 "\"C:\\\\Program Files\\\\Demo\\\\\\x6f14\\x793a.dll\"=dword:00000000\n"
                 "\"C:\\\\windows\\\\system32\\\\orphan.dll\"=dword:00000000\n"
                 "\"C:\\\\windows\\\\system32\\\\used.dll\"=dword:00000003");
  ScopedEnv env("WINEPREFIX", tree.Path("p"));

  testing::RecordingScan controls;
  components::AuditSharedDlls(controls);
  EXPECT_THAT(
      controls.RowTexts(),
      ElementsAre("0|helper.ocx|C:\\Program Files\\Demo\\helper.ocx|冗余的DLL或组件文件|",
                  "0|演示.dll|C:\\Program Files\\Demo\\演示.dll|冗余的DLL或组件文件|3",
                  "0|orphan.dll|C:\\windows\\system32\\orphan.dll|冗余的DLL或组件文件|1000"));
  EXPECT_EQ(controls.junkCount, 3u);

  // The file is read again once it changes.
  WriteSystemReg(tree, "p", "\"C:\\\\windows\\\\system32\\\\used.dll\"=dword:00000000");
  testing::RecordingScan again;
  components::AuditSharedDlls(again);
  EXPECT_THAT(again.RowTexts(),
              ElementsAre("0|used.dll|C:\\windows\\system32\\used.dll|冗余的DLL或组件文件|4"));
  auto* registry = dynamic_cast<WineRegistry*>(&NativeRegistry());
  ASSERT_NE(registry, nullptr);
  EXPECT_EQ(registry->OpenKeyCount(), 0u);
}

TEST(WineRegistryPrefix, AMissingPrefixOrFileOrKeyCannotBeOpened) {
  TempTree tree;
  testing::RecordingScan controls;
  {
    ScopedEnv env("WINEPREFIX", tree.Path("no-prefix"));
    auto summary = components::AuditSharedDlls(controls, NativeRegistry(), NativeWindowsFileSize);
    EXPECT_EQ(summary.openStatus, kRegFileNotFound);
  }
  MakePrefix(tree, "p");
  {
    ScopedEnv env("WINEPREFIX", tree.Path("p"));  // no system.reg
    EXPECT_EQ(components::AuditSharedDlls(controls, NativeRegistry(), {}).openStatus,
              kRegFileNotFound);
  }
  tree.File("p/system.reg", "WINE REGISTRY Version 2\n\n[Software\\\\Wine] 1\n\"x\"=\"y\"\n");
  {
    ScopedEnv env("WINEPREFIX", tree.Path("p"));  // no SharedDLLs key
    EXPECT_EQ(components::AuditSharedDlls(controls, NativeRegistry(), {}).openStatus,
              kRegFileNotFound);
  }
  tree.File("p/system.reg", "this is not a registry\n");
  {
    ScopedEnv env("WINEPREFIX", tree.Path("p"));
    EXPECT_EQ(components::AuditSharedDlls(controls, NativeRegistry(), {}).openStatus, kRegCorrupt);
  }
  EXPECT_THAT(controls.rows, IsEmpty());
  EXPECT_EQ(controls.junkCount, 0u);
}

TEST(WineRegistryPrefix, NoPrefixFolderMeansNoRegistry) {
  WineRegistry registry([] { return std::string(); });  // neither $WINEPREFIX nor a home folder
  EXPECT_EQ(registry.OpenKey(RegRoot::kLocalMachine, "", kKeyRead).error(), kRegFileNotFound);
}

TEST(WineRegistryPrefix, AnotherPrefixOpensByFolder) {
  TempTree tree;
  MakePrefix(tree, "other");
  tree.File("other/drive_c/x.dll", "xy");
  WriteSystemReg(tree, "other", "\"C:\\\\X.DLL\"=dword:00000000");
  auto system = OpenWindowsSystemAt(tree.Path("other"));
  ASSERT_TRUE(system) << system.error();
  testing::RecordingScan controls;
  components::AuditSharedDlls(controls, *system->registry, system->fileSize);
  EXPECT_THAT(controls.RowTexts(), ElementsAre("0|X.DLL|C:\\X.DLL|冗余的DLL或组件文件|2"));
  const auto absent = OpenWindowsSystemAt(tree.Path("absent"));
  ASSERT_FALSE(absent);
  EXPECT_THAT(absent.error(), ::testing::HasSubstr("not a folder"));
}

TEST(WineRegistryPrefix, KeysAreOpenedCaseInsensitivelyAndHandlesChecked) {
  TempTree tree;
  MakePrefix(tree, "p");
  WriteSystemReg(tree, "p", "@=\"default\"\n\"Name\"=dword:00000007");
  auto system = OpenWindowsSystemAt(tree.Path("p"));
  ASSERT_TRUE(system) << system.error();
  Registry& r = *system->registry;
  const auto opened = r.OpenKey(
      RegRoot::kLocalMachine, "SOFTWARE\\microsoft\\windows\\currentversion\\shareddlls", kKeyRead);
  ASSERT_TRUE(opened) << opened.error();
  const RegKey key = *opened;
  auto value = r.Value(key, "NAME");
  ASSERT_TRUE(value);
  EXPECT_EQ(value->name, "NAME");
  EXPECT_EQ(value->type, kRegDword);
  EXPECT_THAT(value->data, ElementsAre(7, 0, 0, 0));
  value = r.Value(key, "");
  ASSERT_TRUE(value);
  EXPECT_EQ(value->type, kRegSz);
  EXPECT_EQ(r.Value(key, "absent").error(), kRegFileNotFound);

  value = r.ValueAt(key, 0);
  ASSERT_TRUE(value);
  EXPECT_EQ(value->name, "");
  value = r.ValueAt(key, 1);
  ASSERT_TRUE(value);
  EXPECT_EQ(value->name, "Name");
  EXPECT_EQ(value->data.size(), 4u);
  EXPECT_EQ(r.ValueAt(key, 2).error(), kRegNoMoreItems);
  EXPECT_EQ(r.CloseKey(key), kRegSuccess);
  EXPECT_EQ(r.CloseKey(key), kRegInvalidHandle);
  EXPECT_EQ(r.ValueAt(key, 0).error(), kRegInvalidHandle);

  const auto noAccess = r.OpenKey(RegRoot::kLocalMachine, "Software", 0);
  ASSERT_TRUE(noAccess);
  EXPECT_EQ(r.ValueAt(*noAccess, 0).error(), kRegAccessDenied);
  EXPECT_EQ(r.Value(*noAccess, "").error(), kRegAccessDenied);
  EXPECT_EQ(r.CloseKey(*noAccess), kRegSuccess);
  auto user = r.OpenKey(RegRoot::kCurrentUser, "Software", kKeyRead);
  EXPECT_EQ(user.error(), kRegFileNotFound);
  user = r.OpenKey(RegRoot::kLocalMachine, "Software\\", kKeyRead);
  EXPECT_EQ(user.error(), kRegFileNotFound);
}

TEST(WineRegistryPrefix, ValuesLargerThanAnyRegistryAllowsAreSkippedNotTheRest) {
  TempTree tree;
  MakePrefix(tree, "p");
  const std::string longest(kLargestValueName - 1, 'n');
  WriteSystemReg(tree, "p",
                 "\"" + longest + "\"=dword:00000000\n\"" + longest +
                     "x\"=dword:00000000\n"
                     "\"last\"=dword:00000001");
  auto system = OpenWindowsSystemAt(tree.Path("p"));
  ASSERT_TRUE(system) << system.error();
  Registry& r = *system->registry;
  const auto key =
      r.OpenKey(RegRoot::kLocalMachine, std::string(components::kSharedDllsKey), kKeyQueryValue);
  ASSERT_TRUE(key);
  EXPECT_EQ(r.ValueAt(*key, 0)->name, longest);
  EXPECT_EQ(r.ValueAt(*key, 1).error(), kRegMoreData);
  EXPECT_EQ(r.ValueAt(*key, 2)->name, "last");
  EXPECT_EQ(r.CloseKey(*key), kRegSuccess);
}

}  // namespace
}  // namespace kelvo::platform
