// Folders the program keeps its files in, and the system folders it writes to.
#pragma once

#include "platform/native_string.h"

namespace kelvo::platform {

// The folder that holds the running program, without a final separator except when it is a drive
// root ("C:\"), where it keeps it.
NativeString ProgramFolder();

// The folder of the settings file, without a final separator except in a drive root. Windows: the
// program folder. POSIX: $XDG_CONFIG_HOME/kelvo, by default ~/.config/kelvo.
NativeString SettingsFolder();

// The operating system's folder. Windows: the Windows directory (asked for in a 256-character
// buffer). POSIX: "/", the folder that holds the
// system's temporary folder "tmp", the counterpart of the Windows directory's "temp".
NativeString OperatingSystemFolder();

// The folder shared components are copied to. Windows: the system directory (asked for in a
// 256-character buffer). POSIX: $XDG_DATA_HOME/kelvo/system, by default
// ~/.local/share/kelvo/system.
NativeString ComponentSystemFolder();

}  // namespace kelvo::platform
