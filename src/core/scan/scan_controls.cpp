#include "scan/scan_controls.h"

namespace kelvo::scan {

RuleSwitches ScanControls::EnabledRules() {
  RuleSwitches on;
  for (int k = 0; k < kPatternCount; ++k) on[static_cast<std::size_t>(k + 1)] = PatternTicked(k);
  on[kTempFolderRule] = TempFolderRuleTicked();
  on[kZeroByteRule] = ZeroByteRuleTicked();
  const int drives = DriveNodeCount();
  for (int which = 0; which < 4; ++which)
    on[static_cast<std::size_t>(kRecentRule + which)] =
        NodeTicked(SpecialFolderNode(drives, which));
  return on;
}

}  // namespace kelvo::scan
