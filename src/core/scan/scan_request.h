// What a scan is asked to walk: its roots, in order.
#pragma once

#include <vector>

#include "platform/native_string.h"

namespace kelvo::scan {

enum class RootKind {
  kDisk,      // a whole disk, from its mount point
  kLocation,  // a folder of its own; walked like a disk for now
  kAudit,     // the shared-DLL audit, run once the walk has ended (no path)
};

struct ScanRoot {
  RootKind kind = RootKind::kDisk;
  NativeString path;  // ends with the separator; empty for the audit
};

struct ScanRequest {
  std::vector<ScanRoot> roots;  // walked in this order; audit roots run after every walk
};

// A request for these folders, each walked as a disk, and the audit after them when asked for.
ScanRequest DiskScan(const std::vector<NativeString>& paths, bool audit = false);

}  // namespace kelvo::scan
