#include "scan/driver.h"

#include "scan/walker.h"

namespace kelvo::scan {

void RunScan(ScanState& state, const ScanRequest& request, RuleSource& rules, ScanSink& sink,
             platform::FileSystem& fs, const AuditFunction& audit) {
  state.SetFlags(kFlagTrue);
  Walker walker(state, rules, sink, fs);
  for (const ScanRoot& root : request.roots)
    if (root.kind != RootKind::kAudit && (!request.stillWanted || request.stillWanted(root)))
      walker.Walk(root, request.age);
  sink.WalkEnded();
  for (const ScanRoot& root : request.roots)
    if (root.kind == RootKind::kAudit && audit) audit(sink);
}

}  // namespace kelvo::scan
