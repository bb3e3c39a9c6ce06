#include <cstdio>
#include <optional>
#include <system_error>

#include "admin_step.h"
#include "audit_command.h"
#include "cli_scan_sink.h"
#include "commands.h"
#include "keep_command.h"
#include "location_roots.h"
#include "platform/file_system.h"
#include "platform/removal_rights.h"
#include "platform/terminal.h"
#include "run_setup.h"
#include "scan/driver.h"
#include "scan/junk_tally.h"
#include "scan/package_filter.h"

namespace kelvo::cli {

namespace {
// The name escaped as in tsv rows, so that each line keeps its four fields.
std::string SummaryField(std::string_view name) {
  std::string out;
  for (char c : name) {
    switch (c) {
      case '\\':
        out += "\\\\";
        break;
      case '\t':
        out += "\\t";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      default:
        out += c;
    }
  }
  return out;
}

void PrintSummaryLine(std::string_view name, const scan::TallyCounts& c) {
  std::fprintf(stderr, "%s\t%llu\t%llu\t%llu\n", SummaryField(name).c_str(),
               static_cast<unsigned long long>(c.files), static_cast<unsigned long long>(c.bytes),
               static_cast<unsigned long long>(c.bytesOnDisk));
}

// Kinds, then disks (named by their scan root), then the total; each file once.
void PrintSummary(const scan::JunkTally& tally) {
  for (const auto& line : tally.Kinds()) PrintSummaryLine(line.kind.Name(), line.counts);
  for (const auto& line : tally.Disks())
    PrintSummaryLine(line.root.empty() ? std::string("-") : NativeToUtf8(line.root), line.counts);
  PrintSummaryLine("total", tally.Total());
}
}  // namespace

int RunScanCommand(const ScanOptions& options) {
  ResolvedScanOptions resolved;
  if (auto error = ResolveScanOptions(options, resolved)) {
    std::fprintf(stderr, "kelvo-cli: %s\n", error->c_str());
    return kExitUsage;
  }
  OutputBuffer out(stdout);
  auto writer = MakeRowWriter(resolved.format, out);
  prepare::PreparedRun run(RunChoicesFor(options));
  // A scan deletes nothing: it goes on without a list it cannot read, saying loudly that kept
  // files may be listed.
  const bool keepListUnread = run.KeepListError().has_value();
  if (keepListUnread)
    std::fprintf(stderr, "kelvo-cli: warning: %s; scanning without the stored keep-list\n",
                 UnreadableKeepListText(*run.KeepListError()).c_str());
  scan::ScanState state;
  run.Configure(state);
  const scan::KeepList& keep = run.KeepList();
  scan::JunkTally tally;
  CliScanSink sink(
      [&](scan::JunkItem&& item) {
        if (options.summary) tally.Add(scan::TallyRowOf(item));
        writer->Write(item);
        if (out.failed()) state.SetFlags(scan::kFlagFalse);  // the reader is gone: stop walking
      },
      platform::ErrorStreamIsTerminal());
  scan::FixedRules rules(resolved.rules);

  std::optional<components::AuditSummary> audit;
  scan::PackageFilter* packageFilter = run.PackageFiles();
  const scan::ScanRequest request = RequestOf(resolved, options.dllAudit);
  scan::RunScan(state, request, rules, sink, platform::NativeFileSystem(), [&](scan::ScanSink& s) {
    out.Flush();  // the walk's rows are out whatever the audit does
    if (out.failed()) return;
    audit =
        components::AuditSharedDlls(s, platform::NativeRegistry(), platform::NativeWindowsFileSize);
  });
  writer->Finish();
  out.Flush();
  sink.FinishProgress();

  const ScanTotals& t = sink.totals();
  std::fprintf(stderr, "%llu rows, %llu bytes, %llu folders, %llu unreadable folders",
               static_cast<unsigned long long>(t.rows), static_cast<unsigned long long>(t.bytes),
               static_cast<unsigned long long>(t.folders),
               static_cast<unsigned long long>(t.unreadableFolders));
  if (packageFilter)
    std::fprintf(stderr, ", %zu hits kept as package files", packageFilter->Kept());
  if (const std::size_t settings = state.settingsInCaches.load())
    std::fprintf(stderr, ", %zu settings files in caches kept", settings);
  std::fprintf(stderr, "%s%s\n", HeldBackText(keep).c_str(), NeedAdminText(t.needAdmin).c_str());
  if (packageFilter) {
    if (const std::error_code cache = packageFilter->CacheProblem())
      std::fprintf(stderr,
                   "kelvo-cli: the package file index could not be cached (%s): every scan reads "
                   "the package lists\n",
                   cache.message().c_str());
  }
  if (options.summary) PrintSummary(tally);
  const int auditStatus =
      audit ? ReportAudit(*audit, platform::NativeRegistryDescription()) : kExitOk;
  if (out.failed()) return kExitPartial;  // reported with the command's end
  return t.unreadableFolders || keepListUnread || auditStatus != kExitOk ? kExitPartial : kExitOk;
}

}  // namespace kelvo::cli
