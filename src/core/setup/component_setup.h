// Component setup at every start: the component files are copied from the program folder into the
// system folder, and each copy there is registered by running its "DllRegisterServer" entry on a
// worker thread, waited for at most ten seconds. Nothing is reported to the user.
#pragma once

#include <array>
#include <chrono>
#include <string>
#include <string_view>
#include <vector>

#include "platform/component_loader.h"
#include "platform/native_string.h"

namespace kelvo::setup {

// The component files in the order they are copied.
inline constexpr std::array<std::string_view, 4> kComponentCopyOrder = {
    "as97Popup.ocx", "FlatButton.ocx", "Picclp32.ocx", "scrrun.dll"};
// The same files in the order they are registered.
inline constexpr std::array<std::string_view, 4> kComponentRegistrationOrder = {
    "as97Popup.ocx", "FlatButton.ocx", "scrrun.dll", "Picclp32.ocx"};

// How long the start-up waits for one component's entry.
inline constexpr std::chrono::milliseconds kEntryTimeLimit{10000};

struct SetupPaths {
  NativeString programFolder;  // joined to a file name with one separator, as it stands
  NativeString systemFolder;   // ends in a separator
};

// The program folder and GetSysDir().
SetupPaths DefaultSetupPaths();

// Copies every component into the system folder, then registers every system-folder copy that
// the loader trusts (see ComponentLoader::Untrusted); each step runs whatever happened to the ones
// before it. Returns one line for each copy left alone and why; the first two forms write those
// lines to stderr.
void InstallComponents();
void InstallComponents(const SetupPaths& paths);
std::vector<std::string> InstallComponents(const SetupPaths& paths,
                                           platform::ComponentLoader& loader,
                                           std::chrono::milliseconds limit);

// RunServerEntry(path, false).
bool RegisterComponent(const NativeString& path);

// Runs the component's "DllUnregisterServer" (unregister) or "DllRegisterServer" entry on a worker
// thread. True only when the entry ran to its end within the limit, whatever it returned. A file
// that is missing, a folder or (on Windows) hidden or a system file is not loaded. A library
// whose entry is still running after the limit is never unloaded.
bool RunServerEntry(const NativeString& path, bool unregister);
bool RunServerEntry(const NativeString& path, bool unregister, platform::ComponentLoader& loader,
                    std::chrono::milliseconds limit);

// The system folder for components, ending in exactly one separator. Windows: the system
// directory. Linux: $XDG_DATA_HOME/kelvo/system/, by default ~/.local/share/kelvo/system/.
NativeString GetSysDir();

}  // namespace kelvo::setup
