// The system's file of commands run at every boot, and the line in it that empties the temporary
// folder.
#pragma once

#include <optional>
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

// The rule already in force that empties systemFolder's temporary folder at every boot, as
// "file:line: rule", or nothing. Linux: the tmpfiles.d configuration below configRoot ("/" on the
// running system), merged as systemd-tmpfiles merges it (a file in /etc/tmpfiles.d hides one of the
// same name in /run/tmpfiles.d, /usr/local/lib/tmpfiles.d or /usr/lib/tmpfiles.d; files are read in
// the order of their names and the first line for a path wins), leaving out the file named
// ownFile. Windows: always nothing.
std::optional<std::string> ExistingTempCleanupRule(const NativeString& configRoot,
                                                   const NativeString& systemFolder,
                                                   const NativeString& ownFile);

}  // namespace kelvo::platform
