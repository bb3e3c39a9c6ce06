#include "scan/driver.h"

#include <optional>

#include "scan/rights_marking_sink.h"
#include "scan/root_overlap.h"
#include "scan/walker.h"

namespace kelvo::scan {

void RunScan(ScanState& state, const ScanRequest& request, RuleSource& rules, ScanSink& sink,
             platform::FileSystem& fs, const AuditFunction& audit) {
  state.SetFlags(kFlagTrue);
  state.settingsInCaches = 0;
  std::optional<RightsMarkingSink> marking;
  if (state.removalRights) marking.emplace(sink, *state.removalRights);
  Walker walker(state, rules, marking ? static_cast<ScanSink&>(*marking) : sink, fs);
  const std::vector<Overlap> overlaps = FindOverlaps(request, fs);
  for (std::size_t i = 0; i < request.roots.size(); ++i) {
    const ScanRoot& root = request.roots[i];
    if (root.kind == RootKind::kAudit || overlaps[i] == Overlap::kWalkedByOther) continue;
    // A drive unticked while the scan runs is skipped when the walk reaches it.
    if (request.stillWanted && !request.stillWanted(root)) continue;
    walker.Walk(root, request.age, overlaps[i] == Overlap::kReachedByDisk);
  }
  sink.WalkEnded();
  for (const ScanRoot& root : request.roots)
    if (root.kind == RootKind::kAudit && audit) audit(sink);
}

}  // namespace kelvo::scan
