// Component setup with real DLLs on Windows: CopyFileW into the system folder, LoadLibraryW,
// GetProcAddress, the entry on its own thread waited for with WaitForSingleObject.
#include <windows.h>

#include <sstream>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/file_update.h"
#include "platform/known_folders.h"
#include "setup/component_setup.h"
#include "support/file_text.h"
#include "support/temp_tree.h"

namespace kelvo::setup {
namespace {

using kelvo::testing::FileText;
using kelvo::testing::TempTree;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using namespace std::chrono_literals;

// The test components are built beside the test program.
NativeString Built(const char* kind) {
  return platform::ProgramFolder() + L"\\kelvo_test_component_" + Utf8ToNative(kind) + L".dll";
}

class ComponentFilesWin32 : public ::testing::Test {
 protected:
  void SetUp() override {
    log_ = tree_.Path("component.log");
    ::SetEnvironmentVariableW(L"KELVO_TEST_COMPONENT_LOG", log_.c_str());
    tree_.Dir("program");
    tree_.Dir("system");
  }
  void TearDown() override { ::SetEnvironmentVariableW(L"KELVO_TEST_COMPONENT_LOG", nullptr); }

  void Place(const char* kind, const std::string& relative) {
    tree_.File(relative, FileText(Built(kind)));
  }
  // The log as "event name" lines, each with the file name only.
  std::vector<std::string> Events() {
    std::vector<std::string> events;
    const auto text = platform::ReadWholeFile(log_);
    if (!text) return events;
    std::istringstream in(*text);
    std::string line;
    while (std::getline(in, line)) {
      const auto blank = line.find(' ');
      events.push_back(line.substr(0, blank) + " " + line.substr(line.rfind('\\') + 1));
    }
    return events;
  }
  bool WaitForEvent(const std::string& wanted) {
    for (int i = 0; i < 500; ++i) {
      for (const auto& e : Events())
        if (e == wanted) return true;
      ::Sleep(10);
    }
    return false;
  }

  TempTree tree_;
  NativeString log_;
};

TEST_F(ComponentFilesWin32, AFreshStartCopiesAndRegistersAllFour) {
  for (auto name : kComponentCopyOrder) Place("registers", "program/" + std::string(name));
  SetupPaths paths{tree_.Path("program"), tree_.Path("system/")};
  InstallComponents(paths, platform::NativeComponentLoader(), 5000ms);

  for (auto name : kComponentCopyOrder)
    EXPECT_EQ(FileText(paths.systemFolder + AsciiToNative(name)), FileText(Built("registers")));
  EXPECT_THAT(Events(), ElementsAre("register as97Popup.ocx", "unloaded as97Popup.ocx",
                                    "register FlatButton.ocx", "unloaded FlatButton.ocx",
                                    "register scrrun.dll", "unloaded scrrun.dll",
                                    "register Picclp32.ocx", "unloaded Picclp32.ocx"));
}

TEST_F(ComponentFilesWin32, CopiesReplaceOlderOnesAndMissingSourcesLeaveThemAlone) {
  tree_.File("system/as97Popup.ocx", "old");
  Place("registers", "program/as97Popup.ocx");
  Place("registers", "system/scrrun.dll");
  SetupPaths paths{tree_.Path("program"), tree_.Path("system/")};
  InstallComponents(paths, platform::NativeComponentLoader(), 5000ms);
  EXPECT_EQ(FileText(tree_.Path("system/as97Popup.ocx")), FileText(Built("registers")));
  std::vector<std::string> registered;
  for (const auto& e : Events())
    if (e.starts_with("register ")) registered.push_back(e.substr(9));
  EXPECT_THAT(registered, ElementsAre("as97Popup.ocx", "scrrun.dll"));
}

TEST_F(ComponentFilesWin32, ARegistrationThatReportsAnErrorStillCounts) {
  Place("fails", "system/Picclp32.ocx");
  EXPECT_TRUE(RegisterComponent(tree_.Path("system/Picclp32.ocx")));
  EXPECT_THAT(Events(), ElementsAre("register Picclp32.ocx", "unloaded Picclp32.ocx"));
}

TEST_F(ComponentFilesWin32, UnregisterRunsTheOtherEntry) {
  Place("registers", "system/scrrun.dll");
  EXPECT_TRUE(RunServerEntry(tree_.Path("system/scrrun.dll"), true));
  EXPECT_THAT(Events(), ElementsAre("unregister scrrun.dll", "unloaded scrrun.dll"));
}

TEST_F(ComponentFilesWin32, HiddenSystemMissingAndForeignFilesAreNotRegistered) {
  EXPECT_FALSE(RegisterComponent(tree_.Path("system/as97Popup.ocx")));
  tree_.Dir("system/FlatButton.ocx");
  EXPECT_FALSE(RegisterComponent(tree_.Path("system/FlatButton.ocx")));
  tree_.File("system/scrrun.dll", "not a library");
  EXPECT_FALSE(RegisterComponent(tree_.Path("system/scrrun.dll")));
  Place("registers", "system/hidden.ocx");
  tree_.SetAttributes("system/hidden.ocx", FILE_ATTRIBUTE_HIDDEN);
  EXPECT_FALSE(RegisterComponent(tree_.Path("system/hidden.ocx")));
  Place("registers", "system/sys.ocx");
  tree_.SetAttributes("system/sys.ocx", FILE_ATTRIBUTE_SYSTEM);
  EXPECT_FALSE(RegisterComponent(tree_.Path("system/sys.ocx")));
  EXPECT_THAT(Events(), IsEmpty());  // none of them was even loaded

  Place("no_entry", "system/Picclp32.ocx");
  EXPECT_FALSE(RegisterComponent(tree_.Path("system/Picclp32.ocx")));
  EXPECT_THAT(Events(), ElementsAre("unloaded Picclp32.ocx"));  // loaded, no entry, let go
}

TEST_F(ComponentFilesWin32, AHangingRegistrationIsAbandonedAndItsLibraryKept) {
  Place("hangs", "system/as97Popup.ocx");
  const NativeString path = tree_.Path("system/as97Popup.ocx");
  EXPECT_FALSE(RunServerEntry(path, false, platform::NativeComponentLoader(), 200ms));
  EXPECT_THAT(Events(), ElementsAre("register as97Popup.ocx"));

  // Still loaded, so the abandoned thread still has its code; let it finish.
  HMODULE module = ::GetModuleHandleW(path.c_str());
  ASSERT_NE(module, nullptr);
  auto release = reinterpret_cast<void (*)()>(
      reinterpret_cast<void*>(::GetProcAddress(module, "KelvoTestRelease")));
  ASSERT_NE(release, nullptr);
  release();
  EXPECT_TRUE(WaitForEvent("returned as97Popup.ocx"));
  // Give the thread time to leave the library, then drop the reference the loader kept, so that
  // the file can be removed with the test's folder.
  ::Sleep(200);
  ::FreeLibrary(module);
}

TEST(ComponentSetupWin32, SystemFolderIsTheSystemDirectoryWithOneBackslash) {
  wchar_t system[MAX_PATH];
  const UINT n = ::GetSystemDirectoryW(system, MAX_PATH);
  ASSERT_GT(n, 0u);
  NativeString expected(system, n);
  if (expected.back() != L'\\') expected += L'\\';
  EXPECT_EQ(GetSysDir(), expected);
  EXPECT_EQ(DefaultSetupPaths().systemFolder, expected);
}

TEST(ComponentSetupWin32, ProgramFolderHoldsTheRunningProgram) {
  wchar_t self[MAX_PATH];
  const DWORD n = ::GetModuleFileNameW(nullptr, self, MAX_PATH);
  const NativeString program(self, n);
  EXPECT_EQ(platform::ProgramFolder(), program.substr(0, program.rfind(L'\\')));
  EXPECT_EQ(DefaultSetupPaths().programFolder, platform::ProgramFolder());
}

}  // namespace
}  // namespace kelvo::setup
