#include "setup/component_setup.h"

#include <cstdio>

#include "platform/known_folders.h"
#include "platform/native_path.h"

namespace kelvo::setup {

SetupPaths DefaultSetupPaths() {
  return {platform::ProgramFolder(), GetSysDir()};
}

void InstallComponents() {
  InstallComponents(DefaultSetupPaths());
}

void InstallComponents(const SetupPaths& paths) {
  for (const std::string& line :
       InstallComponents(paths, platform::NativeComponentLoader(), kEntryTimeLimit))
    std::fprintf(stderr, "kelvo: %s\n", line.c_str());
}

std::vector<std::string> InstallComponents(const SetupPaths& paths,
                                           platform::ComponentLoader& loader,
                                           std::chrono::milliseconds limit) {
  for (std::string_view name : kComponentCopyOrder) {
    NativeString file = AsciiToNative(name);
    loader.Copy(paths.programFolder + platform::kSeparator + file, paths.systemFolder + file);
  }
  std::vector<std::string> skipped;
  for (std::string_view name : kComponentRegistrationOrder) {
    const NativeString copy = paths.systemFolder + AsciiToNative(name);
    if (!loader.IsPresent(copy)) continue;
    if (auto why = loader.Untrusted(
            copy, paths.programFolder + platform::kSeparator + AsciiToNative(name))) {
      skipped.push_back("component " + NativeToUtf8(copy) + " not loaded: " + *why);
      continue;
    }
    RunServerEntry(copy, false, loader, limit);
  }
  return skipped;
}

bool RegisterComponent(const NativeString& path) {
  return RunServerEntry(path, false);
}

bool RunServerEntry(const NativeString& path, bool unregister) {
  return RunServerEntry(path, unregister, platform::NativeComponentLoader(), kEntryTimeLimit);
}

bool RunServerEntry(const NativeString& path, bool unregister, platform::ComponentLoader& loader,
                    std::chrono::milliseconds limit) {
  const char* entryName = unregister ? "DllUnregisterServer" : "DllRegisterServer";
  if (!loader.IsPresent(path)) return false;
  platform::LibraryHandle library = loader.Load(path);
  if (!library) return false;
  platform::EntryAddress entry = loader.FindEntry(library, entryName);
  if (!entry) {
    loader.Unload(library);
    return false;
  }
  switch (loader.RunEntry(entry, limit)) {
    case platform::EntryRun::kEnded:
      loader.Unload(library);
      return true;
    case platform::EntryRun::kNotStarted:
      loader.Unload(library);
      return false;
    case platform::EntryRun::kStillRunning:
      // Its code may still run: unloading it would pull the code away from under the thread.
      return false;
  }
  return false;
}

NativeString GetSysDir() {
  return platform::WithTrailingSeparator(platform::ComponentSystemFolder());
}

}  // namespace kelvo::setup
