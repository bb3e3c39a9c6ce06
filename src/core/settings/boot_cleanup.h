// The boot-time cleanup of the temporary folder: one line in the system's boot file that empties
// it at every start of the machine. The line is only ever added, never removed.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <system_error>

#include "platform/native_string.h"

namespace kelvo::settings {

struct BootCleanupTarget {
  NativeString file;
  std::string line;           // without its line end
  std::string ending = "\n";  // the line end the file uses
  NativeString configRoot{};  // where the system's own boot rules are looked for ("/")
};

// Windows: "c:\Autoexec.bat" and "Deltree /y " + GetWinDir() + "temp\*.*", CR LF. Linux:
// /etc/tmpfiles.d/kelvo-temp-cleanup.conf and the tmpfiles.d rule "D! /tmp 1777 root root -".
BootCleanupTarget DefaultBootCleanupTarget();

// The content that holds target's line exactly once as a whole line after all earlier lines, or
// nothing when content already does. Further copies of the line are dropped; a last line without
// a line end gets one; a DOS end-of-file mark (Ctrl-Z) stays at the very end.
std::optional<std::string> WithCleanupLine(std::string_view content,
                                           const BootCleanupTarget& target);

// Puts the line into the file (created when missing; its folder must exist), replacing the file
// atomically. Returns the reason of a failure, e.g. permission denied for an ordinary user.
[[nodiscard]] std::error_code WriteBootCleanup(const BootCleanupTarget& target);

// The system's own rule that already empties the temporary folder at every boot ("file:line:
// rule"), or nothing. When there is one, Kelvo's line is not wanted: it would only hide that rule.
std::optional<std::string> BootCleanupDoneBy(const BootCleanupTarget& target);

// The operating system's folder ending in exactly one separator: the Windows directory on Windows
// ("C:\WINDOWS\"); "/" on Linux, the folder holding the system's temporary folder "tmp".
NativeString GetWinDir();

}  // namespace kelvo::settings
