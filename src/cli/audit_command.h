// kelvo-cli audit-dlls: the shared-DLL audit on its own, and the summary that scan --dll-audit
// prints as well.
#pragma once

#include <string>

#include "components/shared_dll_audit.h"

namespace CLI {
class App;
}

namespace kelvo::cli {

struct AuditOptions {
  std::string prefix;  // a Wine prefix folder; empty: the system's own registry
  std::string format = "text";
};

void AddAuditOptions(CLI::App& command, AuditOptions& options);
int RunAuditCommand(const AuditOptions& options);

// Prints what the audit did to stderr; returns kExitPartial when the table could not be read.
int ReportAudit(const components::AuditSummary& summary, const std::string& where);

}  // namespace kelvo::cli
