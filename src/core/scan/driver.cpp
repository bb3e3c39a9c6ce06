#include "scan/driver.h"

#include "scan/walker.h"

namespace kelvo::scan {

void RunScan(ScanState& state, ScanControls& controls, platform::FileSystem& fs,
             const AuditFunction& audit) {
  state.SetFlags(kFlagTrue);
  const int driveCount = controls.DriveNodeCount();
  Walker walker(state, controls, fs);
  for (int node = 2; node <= driveCount + 1; ++node) {
    if (!controls.NodeTicked(node)) continue;
    walker.Walk(controls.NodeKey(node));
  }
  // The counter is refreshed before each entry's rules run; the last entry's rows come after it.
  controls.SetJunkCount(controls.RowCount());
  controls.RestoreIdle();
  if (controls.AuditTicked() && audit) audit(controls);
}

}  // namespace kelvo::scan
