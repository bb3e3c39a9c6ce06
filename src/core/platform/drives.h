// The scan targets the system offers: local fixed disks.
#pragma once

#include <vector>

#include "platform/native_string.h"

namespace kelvo::platform {

struct Drive {
  NativeString key;   // root path ending with the separator, e.g. "C:\" or "/home/"
  NativeString text;  // the key, or the key followed by "(" label ")"
};

std::vector<Drive> ListFixedDrives();

}  // namespace kelvo::platform
