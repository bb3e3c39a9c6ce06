#include "scan/driver.h"

#include "scan/walker.h"

namespace kelvo::scan {

void RunScan(ScanState& state, ScanControls& controls, platform::FileSystem& fs,
             const AuditFunction& audit) {
  state.SetFlags(kFlagTrue);
  const int driveCount = controls.DriveNodeCount();
  Walker walker(state, controls, fs);
  for (state.nodeIndex = 2; state.nodeIndex <= driveCount + 1; ++state.nodeIndex) {
    if (!controls.NodeTicked(state.nodeIndex)) continue;
    state.rootPath = controls.NodeKey(state.nodeIndex);
    state.pattern = AsciiToNative("*.*");
    walker.Walk(state.rootPath);
  }
  // The counter is refreshed before each entry's rules run; the last entry's rows come after it.
  controls.SetJunkCount(controls.RowCount());
  controls.RestoreIdle();
  if (controls.AuditTicked() && audit) audit(controls);
}

}  // namespace kelvo::scan
