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
  RegKey key;
  EXPECT_EQ(registry.OpenKey(RegRoot::kLocalMachine, "", kKeyRead, key), kRegFileNotFound);
}

TEST(WineRegistryPrefix, AnotherPrefixOpensByFolder) {
  TempTree tree;
  MakePrefix(tree, "other");
  tree.File("other/drive_c/x.dll", "xy");
  WriteSystemReg(tree, "other", "\"C:\\\\X.DLL\"=dword:00000000");
  std::string why;
  auto system = OpenWindowsSystemAt(tree.Path("other"), why);
  ASSERT_TRUE(system) << why;
  testing::RecordingScan controls;
  components::AuditSharedDlls(controls, *system->registry, system->fileSize);
  EXPECT_THAT(controls.RowTexts(), ElementsAre("0|X.DLL|C:\\X.DLL|冗余的DLL或组件文件|2"));
  EXPECT_FALSE(OpenWindowsSystemAt(tree.Path("absent"), why));
  EXPECT_THAT(why, ::testing::HasSubstr("not a folder"));
}

TEST(WineRegistryPrefix, KeysAreOpenedCaseInsensitivelyAndHandlesChecked) {
  TempTree tree;
  MakePrefix(tree, "p");
  WriteSystemReg(tree, "p", "@=\"default\"\n\"Name\"=dword:00000007");
  std::string why;
  auto system = OpenWindowsSystemAt(tree.Path("p"), why);
  ASSERT_TRUE(system) << why;
  Registry& r = *system->registry;
  RegKey key;
  ASSERT_EQ(r.OpenKey(RegRoot::kLocalMachine,
                      "SOFTWARE\\microsoft\\windows\\currentversion\\shareddlls", kKeyRead, key),
            kRegSuccess);
  std::uint32_t type = 0, size = 0;
  EXPECT_EQ(r.QueryValue(key, "name", type, {}, size), kRegSuccess);
  EXPECT_EQ(type, kRegDword);
  EXPECT_EQ(size, 4u);
  std::uint8_t small[2];
  EXPECT_EQ(r.QueryValue(key, "NAME", type, small, size), kRegMoreData);
  EXPECT_EQ(size, 4u);
  std::uint8_t data[8];
  size = 8;
  EXPECT_EQ(r.QueryValue(key, "Name", type, data, size), kRegSuccess);
  EXPECT_EQ(size, 4u);
  EXPECT_EQ(data[0], 7);
  EXPECT_EQ(r.QueryValue(key, "", type, {}, size), kRegSuccess);
  EXPECT_EQ(type, kRegSz);
  EXPECT_EQ(r.QueryValue(key, "absent", type, {}, size), kRegFileNotFound);

  EnumeratedValue value;
  EXPECT_EQ(r.EnumValue(key, 0, 256, 256, value), kRegSuccess);
  EXPECT_EQ(value.name, "");
  EXPECT_EQ(r.EnumValue(key, 1, 4, 256, value), kRegMoreData);  // "Name" needs 5 with its NUL
  EXPECT_EQ(r.EnumValue(key, 1, 5, 3, value), kRegMoreData);
  EXPECT_EQ(value.requiredDataSize, 4u);
  EXPECT_EQ(r.EnumValue(key, 1, 5, 4, value), kRegSuccess);
  EXPECT_EQ(value.name, "Name");
  EXPECT_EQ(r.EnumValue(key, 2, 256, 256, value), kRegNoMoreItems);
  EXPECT_EQ(r.CloseKey(key), kRegSuccess);
  EXPECT_EQ(r.CloseKey(key), kRegInvalidHandle);
  EXPECT_EQ(r.EnumValue(key, 0, 256, 256, value), kRegInvalidHandle);

  RegKey noAccess;
  ASSERT_EQ(r.OpenKey(RegRoot::kLocalMachine, "Software", 0, noAccess), kRegSuccess);
  EXPECT_EQ(r.EnumValue(noAccess, 0, 256, 256, value), kRegAccessDenied);
  r.CloseKey(noAccess);
  RegKey user;
  EXPECT_EQ(r.OpenKey(RegRoot::kCurrentUser, "Software", kKeyRead, user), kRegFileNotFound);
  EXPECT_EQ(r.OpenKey(RegRoot::kLocalMachine, "Software\\", kKeyRead, user), kRegFileNotFound);
  EXPECT_FALSE(user);
}

}  // namespace
}  // namespace kelvo::platform
