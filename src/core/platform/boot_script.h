// The system's file of commands run at every boot, and the line in it that empties the temporary
// folder.
#pragma once

#include <string>

#include "platform/native_string.h"

namespace kelvo::platform {

struct BootScriptLine {
  NativeString file;
  std::string line;    // the line's bytes, without its line end
  std::string ending;  // the file's line end
};

// The cleanup line for the temporary folder inside systemFolder (which ends in one separator).
// Windows: "Deltree /y " + systemFolder + "temp\*.*" in c:\Autoexec.bat, lines ending in CR LF.
// Linux: a systemd-tmpfiles rule in /etc/tmpfiles.d that removes everything inside
// systemFolder + "tmp" whenever the machine starts.
BootScriptLine TempCleanupLine(const NativeString& systemFolder);

}  // namespace kelvo::platform
