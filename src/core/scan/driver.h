// The scan driver: walks the request's roots in order, tells the sink the walk has ended, then runs
// the audit for an audit root.
#pragma once

#include <functional>

#include "platform/file_system.h"
#include "scan/rule_source.h"
#include "scan/scan_request.h"
#include "scan/scan_sink.h"
#include "scan/scan_state.h"

namespace kelvo::scan {

// Adds its rows to the sink, and ticks it once per entry it tries.
using AuditFunction = std::function<void(ScanSink&)>;

// Sets both flags to -1, then walks every disk and location root in order (those the request
// still wants when the walk reaches them). A stopped scan still
// passes through the remaining roots, each shown and counted only. Then WalkEnded, then the audit
// once per audit root (when an audit function is given). The flags are left as they are at the
// end.
void RunScan(ScanState& state, const ScanRequest& request, RuleSource& rules, ScanSink& sink,
             platform::FileSystem& fs, const AuditFunction& audit = {});

}  // namespace kelvo::scan
