#include <algorithm>
#include <cstdio>
#include <thread>

#include "audit_command.h"
#include "cli_scan_controls.h"
#include "commands.h"
#include "platform/file_system.h"
#include "platform/terminal.h"
#include "scan/driver.h"

namespace kelvo::cli {

int RunScanCommand(const ScanOptions& options) {
  ResolvedScanOptions resolved;
  if (auto error = ResolveScanOptions(options, resolved)) {
    std::fprintf(stderr, "kelvo-cli: %s\n", error->c_str());
    return kExitUsage;
  }
  OutputBuffer out(stdout);
  auto writer = MakeRowWriter(resolved.format, out);
  CliScanControls controls(
      resolved.rules, resolved.roots, [&](scan::JunkItem&& item) { writer->Write(item); },
      platform::ErrorStreamIsTerminal(), options.dllAudit);

  std::optional<components::AuditSummary> audit;
  scan::ScanState state;
  // More readers than this only queue up on the same disks.
  constexpr unsigned kMaxReaders = 64;
  state.folderReaders =
      std::min(kMaxReaders, options.threads ? options.threads
                                            : std::max(1u, std::thread::hardware_concurrency()));
  scan::RunScan(state, controls, platform::NativeFileSystem(), [&](scan::ScanControls& c) {
    audit =
        components::AuditSharedDlls(c, platform::NativeRegistry(), platform::NativeWindowsFileSize);
  });
  writer->Finish();
  out.Flush();
  controls.FinishProgress();

  const ScanTotals& t = controls.totals();
  std::fprintf(stderr, "%llu rows, %llu bytes, %llu folders, %llu unreadable folders\n",
               static_cast<unsigned long long>(t.rows), static_cast<unsigned long long>(t.bytes),
               static_cast<unsigned long long>(t.folders),
               static_cast<unsigned long long>(t.unreadableFolders));
  const int auditStatus =
      audit ? ReportAudit(*audit, platform::NativeRegistryDescription()) : kExitOk;
  if (out.failed()) {
    std::fprintf(stderr, "kelvo-cli: writing the rows failed\n");
    return kExitPartial;
  }
  return t.unreadableFolders || auditStatus != kExitOk ? kExitPartial : kExitOk;
}

}  // namespace kelvo::cli
