#include "scan/driver.h"

#include <optional>

#include "scan/rights_marking_sink.h"
#include "scan/walker.h"

namespace kelvo::scan {

void RunScan(ScanState& state, const ScanRequest& request, RuleSource& rules, ScanSink& sink,
             platform::FileSystem& fs, const AuditFunction& audit) {
  state.SetFlags(kFlagTrue);
  std::optional<RightsMarkingSink> marking;
  if (state.removalRights) marking.emplace(sink, *state.removalRights);
  Walker walker(state, rules, marking ? static_cast<ScanSink&>(*marking) : sink, fs);
  for (const ScanRoot& root : request.roots)
    if (root.kind != RootKind::kAudit) walker.Walk(root, request.age);
  sink.WalkEnded();
  for (const ScanRoot& root : request.roots)
    if (root.kind == RootKind::kAudit && audit) audit(sink);
}

}  // namespace kelvo::scan
