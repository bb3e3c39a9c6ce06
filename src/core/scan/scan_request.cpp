#include "scan/scan_request.h"

namespace kelvo::scan {

ScanRequest DiskScan(const std::vector<NativeString>& paths, bool audit) {
  ScanRequest request;
  for (const NativeString& path : paths)
    request.roots.push_back({RootKind::kDisk, path});
  if (audit) request.roots.push_back({RootKind::kAudit, {}});
  return request;
}

}  // namespace kelvo::scan
