#include "setup/component_setup.h"

#include <dlfcn.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "support/file_text.h"
#include "support/temp_tree.h"

namespace kelvo::setup {
namespace {

using kelvo::testing::FileText;
using kelvo::testing::TempTree;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using namespace std::chrono_literals;

// Records every platform call; the outcomes of the calls are set per test.
class RecordingLoader final : public platform::ComponentLoader {
 public:
  std::vector<std::string> calls;
  bool present = true;
  bool loads = true;
  bool hasEntry = true;
  platform::EntryRun run = platform::EntryRun::kEnded;
  std::chrono::milliseconds lastLimit{0};

  bool Copy(const NativeString& from, const NativeString& to) override {
    calls.push_back("copy " + from + " " + to);
    return true;
  }
  bool IsPresent(const NativeString& path) override {
    calls.push_back("present " + path);
    return present;
  }
  platform::LibraryHandle Load(const NativeString& path) override {
    calls.push_back("load " + path);
    return loads ? &library_ : nullptr;
  }
  platform::EntryAddress FindEntry(platform::LibraryHandle, const char* name) override {
    calls.push_back(std::string("find ") + name);
    return hasEntry ? &entry_ : nullptr;
  }
  void Unload(platform::LibraryHandle) override { calls.push_back("unload"); }
  platform::EntryRun RunEntry(platform::EntryAddress, std::chrono::milliseconds limit) override {
    calls.push_back("run");
    lastLimit = limit;
    return run;
  }

 private:
  int library_ = 0;
  int entry_ = 0;
};

TEST(ComponentSetup, CopiesThenRegistersInTheirOwnOrders) {
  RecordingLoader loader;
  InstallComponents({"/opt/kelvo", "/sys/"}, loader, 10000ms);
  std::vector<std::string> copies, loads;
  for (const auto& call : loader.calls) {
    if (call.starts_with("copy ")) copies.push_back(call);
    if (call.starts_with("load ")) loads.push_back(call);
  }
  EXPECT_THAT(copies, ElementsAre("copy /opt/kelvo/as97Popup.ocx /sys/as97Popup.ocx",
                                  "copy /opt/kelvo/FlatButton.ocx /sys/FlatButton.ocx",
                                  "copy /opt/kelvo/Picclp32.ocx /sys/Picclp32.ocx",
                                  "copy /opt/kelvo/scrrun.dll /sys/scrrun.dll"));
  EXPECT_THAT(loads, ElementsAre("load /sys/as97Popup.ocx", "load /sys/FlatButton.ocx",
                                 "load /sys/scrrun.dll", "load /sys/Picclp32.ocx"));
  // Every copy comes before the first registration.
  EXPECT_TRUE(loader.calls[3].starts_with("copy ") && loader.calls[4].starts_with("present "));
  EXPECT_EQ(loader.lastLimit, 10000ms);
}

TEST(ComponentSetup, EachOutcomeReleasesTheLibraryOnlyWhenItIsSafe) {
  RecordingLoader ended;
  EXPECT_TRUE(RunServerEntry("/sys/a.ocx", false, ended, 50ms));
  EXPECT_THAT(ended.calls, ElementsAre("present /sys/a.ocx", "load /sys/a.ocx",
                                       "find DllRegisterServer", "run", "unload"));

  RecordingLoader unregister;
  EXPECT_TRUE(RunServerEntry("/sys/a.ocx", true, unregister, 50ms));
  EXPECT_EQ(unregister.calls[2], "find DllUnregisterServer");

  RecordingLoader missing;
  missing.present = false;
  EXPECT_FALSE(RunServerEntry("/sys/a.ocx", false, missing, 50ms));
  EXPECT_THAT(missing.calls, ElementsAre("present /sys/a.ocx"));

  RecordingLoader unloadable;
  unloadable.loads = false;
  EXPECT_FALSE(RunServerEntry("/sys/a.ocx", false, unloadable, 50ms));
  EXPECT_EQ(unloadable.calls.back(), "load /sys/a.ocx");

  RecordingLoader noEntry;
  noEntry.hasEntry = false;
  EXPECT_FALSE(RunServerEntry("/sys/a.ocx", false, noEntry, 50ms));
  EXPECT_EQ(noEntry.calls.back(), "unload");

  RecordingLoader noThread;
  noThread.run = platform::EntryRun::kNotStarted;
  EXPECT_FALSE(RunServerEntry("/sys/a.ocx", false, noThread, 50ms));
  EXPECT_EQ(noThread.calls.back(), "unload");

  // The entry may still be running in the library's code: it must stay loaded.
  RecordingLoader stillRunning;
  stillRunning.run = platform::EntryRun::kStillRunning;
  EXPECT_FALSE(RunServerEntry("/sys/a.ocx", false, stillRunning, 50ms));
  EXPECT_EQ(stillRunning.calls.back(), "run");
}

// Real libraries built with the tests, copied under component names into temporary folders.
class ComponentFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    log_ = tree_.Path("component.log");
    ::setenv("KELVO_TEST_COMPONENT_LOG", log_.c_str(), 1);
    tree_.Dir("program");
    tree_.Dir("system");
  }
  void TearDown() override { ::unsetenv("KELVO_TEST_COMPONENT_LOG"); }

  void Place(const std::string& library, const std::string& relative) {
    tree_.File(relative, FileText(library));
  }
  // The log as "event name" lines, each with the file name only.
  std::vector<std::string> Events() {
    std::vector<std::string> events;
    std::ifstream in(log_);
    std::string event, path;
    while (in >> event >> path) events.push_back(event + " " + path.substr(path.rfind('/') + 1));
    return events;
  }
  bool WaitForEvent(const std::string& wanted) {
    for (int i = 0; i < 500; ++i) {
      for (const auto& e : Events()) {
        if (e == wanted) return true;
      }
      ::usleep(10000);
    }
    return false;
  }

  TempTree tree_;
  std::string log_;
};

TEST_F(ComponentFiles, AFreshStartCopiesAndRegistersAllFour) {
  for (auto name : kComponentCopyOrder) {
    Place(KELVO_TEST_COMPONENT_REGISTERS, "program/" + std::string(name));
  }
  SetupPaths paths{tree_.Path("program"), tree_.Path("system/new/")};
  InstallComponents(paths, platform::NativeComponentLoader(), 5000ms);

  for (auto name : kComponentCopyOrder) {
    EXPECT_EQ(FileText(paths.systemFolder + std::string(name)),
              FileText(KELVO_TEST_COMPONENT_REGISTERS));
  }
  EXPECT_THAT(Events(), ElementsAre("register as97Popup.ocx", "unloaded as97Popup.ocx",
                                    "register FlatButton.ocx", "unloaded FlatButton.ocx",
                                    "register scrrun.dll", "unloaded scrrun.dll",
                                    "register Picclp32.ocx", "unloaded Picclp32.ocx"));
}

TEST_F(ComponentFiles, APlantedLibraryIsNeverLoaded) {
  // Not Kelvo's: the program folder has no such component.
  Place(KELVO_TEST_COMPONENT_REGISTERS, "system/as97Popup.ocx");
  Place(KELVO_TEST_COMPONENT_REGISTERS, "system/scrrun.dll");
  SetupPaths paths{tree_.Path("program"), tree_.Path("system/")};
  auto skipped = InstallComponents(paths, platform::NativeComponentLoader(), 5000ms);
  EXPECT_THAT(Events(), IsEmpty());
  ASSERT_EQ(skipped.size(), 2u);
  EXPECT_THAT(skipped[0], ::testing::HasSubstr("as97Popup.ocx not loaded: Kelvo has no"));
  // Nor is a file whose content differs from the program folder's.
  tree_.File("program/scrrun.dll", "Kelvo's own scrrun.dll");
  EXPECT_THAT(platform::NativeComponentLoader().Untrusted(tree_.Path("system/scrrun.dll"),
                                                          tree_.Path("program/scrrun.dll")),
              ::testing::Optional(::testing::HasSubstr("not Kelvo's copy")));
}

TEST_F(ComponentFiles, AFolderOthersMayWriteInStopsLoading) {
  Place(KELVO_TEST_COMPONENT_REGISTERS, "program/as97Popup.ocx");
  tree_.Dir("shared/system");
  tree_.Chmod("shared", 0775);
  SetupPaths paths{tree_.Path("program"), tree_.Path("shared/system/")};
  auto skipped = InstallComponents(paths, platform::NativeComponentLoader(), 5000ms);
  EXPECT_THAT(Events(), IsEmpty());
  ASSERT_EQ(skipped.size(), 1u);
  EXPECT_THAT(skipped[0], ::testing::HasSubstr("shared is writable by group or others"));

  // The same copy in a folder only its owner writes, but itself writable by others, or foreign.
  tree_.Chmod("shared", 0755);
  tree_.Chmod("shared/system/as97Popup.ocx", 0666);
  EXPECT_THAT(platform::NativeComponentLoader().Untrusted(paths.systemFolder + "as97Popup.ocx",
                                                          tree_.Path("program/as97Popup.ocx")),
              ::testing::Optional(::testing::HasSubstr("writable by group or others")));
  tree_.Chmod("shared/system/as97Popup.ocx", 0644);
  if (::geteuid() != 0) return;  // only root can give a folder away
  ASSERT_EQ(::chown(tree_.Path("shared/system").c_str(), 65534, 65534), 0);
  EXPECT_THAT(platform::NativeComponentLoader().Untrusted(paths.systemFolder + "as97Popup.ocx",
                                                          tree_.Path("program/as97Popup.ocx")),
              ::testing::Optional(::testing::HasSubstr("belongs to another user")));
}

TEST_F(ComponentFiles, NothingToInstallIsQuietlyNothing) {
  SetupPaths paths{tree_.Path("program"), tree_.Path("system/")};
  InstallComponents(paths, platform::NativeComponentLoader(), 5000ms);
  EXPECT_THAT(Events(), IsEmpty());
}

TEST_F(ComponentFiles, ARegistrationThatReportsAnErrorStillCounts) {
  Place(KELVO_TEST_COMPONENT_FAILS, "system/Picclp32.ocx");
  EXPECT_TRUE(RegisterComponent(tree_.Path("system/Picclp32.ocx")));
  EXPECT_THAT(Events(), ElementsAre("register Picclp32.ocx", "unloaded Picclp32.ocx"));
}

TEST_F(ComponentFiles, UnregisterRunsTheOtherEntry) {
  Place(KELVO_TEST_COMPONENT_REGISTERS, "system/scrrun.dll");
  EXPECT_TRUE(RunServerEntry(tree_.Path("system/scrrun.dll"), true));
  EXPECT_THAT(Events(), ElementsAre("unregister scrrun.dll", "unloaded scrrun.dll"));
}

TEST_F(ComponentFiles, MissingFoldersAndForeignFilesAreNotRegistered) {
  EXPECT_FALSE(RegisterComponent(tree_.Path("system/as97Popup.ocx")));
  tree_.Dir("system/FlatButton.ocx");
  EXPECT_FALSE(RegisterComponent(tree_.Path("system/FlatButton.ocx")));
  tree_.File("system/scrrun.dll", "not a library");
  EXPECT_FALSE(RegisterComponent(tree_.Path("system/scrrun.dll")));

  Place(KELVO_TEST_COMPONENT_NO_ENTRY, "system/Picclp32.ocx");
  EXPECT_FALSE(RegisterComponent(tree_.Path("system/Picclp32.ocx")));
  // The library was loaded, had no entry and was let go again.
  EXPECT_THAT(Events(), ElementsAre("unloaded Picclp32.ocx"));
}

TEST_F(ComponentFiles, AHangingRegistrationIsAbandonedAndItsLibraryKept) {
  Place(KELVO_TEST_COMPONENT_HANGS, "system/as97Popup.ocx");
  const std::string path = tree_.Path("system/as97Popup.ocx");
  EXPECT_FALSE(RunServerEntry(path, false, platform::NativeComponentLoader(), 200ms));
  EXPECT_THAT(Events(), ElementsAre("register as97Popup.ocx"));

  // Still loaded, so the abandoned thread still has its code; let it finish.
  void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD);
  ASSERT_NE(handle, nullptr);
  auto release = reinterpret_cast<void (*)()>(::dlsym(handle, "KelvoTestRelease"));
  ASSERT_NE(release, nullptr);
  release();
  EXPECT_TRUE(WaitForEvent("returned as97Popup.ocx"));
  ::dlclose(handle);
}

TEST(ComponentSetup, SystemFolderFollowsTheXdgDataFolder) {
  const char* oldData = std::getenv("XDG_DATA_HOME");
  const char* oldHome = std::getenv("HOME");
  std::string savedData = oldData ? oldData : "", savedHome = oldHome ? oldHome : "";

  ::setenv("XDG_DATA_HOME", "/srv/data", 1);
  EXPECT_EQ(GetSysDir(), "/srv/data/kelvo/system/");
  ::unsetenv("XDG_DATA_HOME");
  ::setenv("HOME", "/home/tester", 1);
  EXPECT_EQ(GetSysDir(), "/home/tester/.local/share/kelvo/system/");
  EXPECT_EQ(DefaultSetupPaths().systemFolder, GetSysDir());

  if (oldData) ::setenv("XDG_DATA_HOME", savedData.c_str(), 1);
  if (oldHome) {
    ::setenv("HOME", savedHome.c_str(), 1);
  } else {
    ::unsetenv("HOME");
  }
}

TEST(ComponentSetup, ProgramFolderHoldsTheRunningProgram) {
  std::string folder = DefaultSetupPaths().programFolder;
  ASSERT_FALSE(folder.empty());
  EXPECT_NE(folder.back(), '/');
  EXPECT_EQ(::access((folder + "/kelvo_core_tests").c_str(), X_OK), 0) << folder;
}

}  // namespace
}  // namespace kelvo::setup
