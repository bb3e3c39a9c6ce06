// Roots of one scan that overlap: a folder that another root's walk reaches already is not walked
// twice. A location inside a disk root (/var/log under /) is walked for its own rows only where
// the disk's walk went (the rules' rows and the folder count are the disk's); a disk root that
// another root's walk reaches is not walked at all.
#pragma once

#include <vector>

#include "platform/file_system.h"
#include "scan/scan_request.h"

namespace kelvo::scan {

enum class Overlap {
  kNone,
  kReachedByDisk,  // a location whose folder a disk root's walk reaches
  kWalkedByOther,  // a disk root that another root's walk reaches: not walked
};

// One per root of the request. A walk reaches a folder below its root on the same mount, through
// no folder the walk does not enter (a dot folder for a disk; another location's folder, or any
// sub-folder of a location that takes only its own files). Equal roots: the first disk walks.
std::vector<Overlap> FindOverlaps(const ScanRequest& request, platform::FileSystem& fs);

}  // namespace kelvo::scan
