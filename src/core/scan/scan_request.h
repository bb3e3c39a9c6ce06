// What a scan is asked to walk: its roots, in order.
#pragma once

#include <functional>
#include <optional>
#include <utility>
#include <vector>

#include "platform/native_string.h"
#include "scan/age_limit.h"
#include "scan/locations.h"

namespace kelvo::scan {

enum class RootKind {
  kDisk,      // a whole disk, from its mount point
  kLocation,  // a folder of a common junk location
  kAudit,     // the shared-DLL audit, run once the walk has ended (no path)
};

struct ScanRoot {
  ScanRoot() = default;
  ScanRoot(RootKind k, NativeString p) : kind(k), path(std::move(p)) {}
  ScanRoot(RootKind k, NativeString p, LocationFolder l)
      : kind(k), path(std::move(p)), location(std::move(l)) {}

  RootKind kind = RootKind::kDisk;
  NativeString path;                       // ends with the separator; empty for the audit
  std::optional<LocationFolder> location;  // what a location root is: its files are rows too
};

struct ScanRequest {
  std::vector<ScanRoot> roots;             // walked in this order; audit roots run after every walk
  AgeLimit age = AgeLimit::StartingNow();  // rows of files modified since are left out
  // Asked as the walk reaches each disk or location root: false skips it (a disk unticked
  // meanwhile). Empty: every root is walked.
  std::function<bool(const ScanRoot&)> stillWanted;
};

// A request for these folders, each walked as a disk, and the audit after them when asked for.
ScanRequest DiskScan(const std::vector<NativeString>& paths, bool audit = false);

}  // namespace kelvo::scan
