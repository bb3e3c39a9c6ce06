#include <cstdio>

#include "commands.h"
#include "platform/drives.h"

namespace kelvo::cli {

int RunDrivesCommand() {
  for (const platform::Drive& d : platform::ListFixedDrives())
    std::printf("%s\t%s\n", NativeToUtf8(d.key).c_str(), NativeToUtf8(d.text).c_str());
  return kExitOk;
}

}  // namespace kelvo::cli
