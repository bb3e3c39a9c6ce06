#include "platform/boot_script.h"

namespace kelvo::platform {

BootScriptLine TempCleanupLine(const NativeString& systemFolder) {
  // "D" empties the folder when systemd-tmpfiles runs with --remove, and "!" restricts the line to
  // runs with --boot: systemd-tmpfiles-setup.service at start, never an update in a running system.
  return {"/etc/tmpfiles.d/kelvo-temp-cleanup.conf", "D! " + systemFolder + "tmp 1777 root root -",
          "\n"};
}

}  // namespace kelvo::platform
