// The scan driver: walks every ticked drive node of the tree, restores the idle window, and runs
// the shared-DLL audit at the end when it is ticked.
#pragma once

#include <functional>

#include "platform/file_system.h"
#include "scan/scan_controls.h"
#include "scan/scan_state.h"

namespace kelvo::scan {

using AuditFunction = std::function<void(ScanControls&)>;

// Sets both flags to -1, then for node 2 up to N+1 (N read once) walks each ticked node's key. A
// stopped scan still passes through the remaining ticked nodes, each shown and counted only. The
// flags are left as they are at the end.
void RunScan(ScanState& state, ScanControls& controls, platform::FileSystem& fs,
             const AuditFunction& audit = {});

}  // namespace kelvo::scan
