#include "audit_command.h"

#include <CLI/CLI.hpp>

#include <cstdio>

#include "cli_scan_sink.h"
#include "commands.h"
#include "platform/registry.h"

namespace kelvo::cli {

void AddAuditOptions(CLI::App& command, AuditOptions& options) {
  command
      .add_option("--prefix", options.prefix,
                  "Wine prefix folder to read (default: $WINEPREFIX, else ~/.wine; on Windows\n"
                  "the system's registry)")
      ->check(RefuseEmpty);
  command
      .add_option("--format", options.format,
                  "Output format: text (default), tsv, csv, json, as for scan. json rows carry\n"
                  "\"rule\": 0 and \"audit\": true.")
      ->check(CLI::IsMember(kFormatNames));
}

int ReportAudit(const components::AuditSummary& summary, const std::string& where) {
  if (summary.openStatus != platform::kRegSuccess) {
    std::fprintf(stderr, "kelvo-cli: cannot open the shared-DLL table HKLM\\%s in %s: %s\n",
                 std::string(components::kSharedDllsKey).c_str(), where.c_str(),
                 platform::RegStatusText(summary.openStatus).c_str());
    return kExitPartial;
  }
  std::fprintf(stderr, "shared-DLL table: %zu entries, %zu with a count of 0, %zu unreadable\n",
               summary.examined, summary.redundant, summary.unreadable);
  if (summary.endStatus != platform::kRegNoMoreItems) {
    std::fprintf(stderr, "kelvo-cli: reading the shared-DLL table stopped early: %s\n",
                 platform::RegStatusText(summary.endStatus).c_str());
    return kExitPartial;
  }
  if (summary.unreadable) {
    // An entry that could not be read may be one whose count is 0: the list is not the whole table.
    std::fprintf(stderr,
                 "kelvo-cli: the shared-DLL table is incomplete: %zu %s could not be read\n",
                 summary.unreadable, summary.unreadable == 1 ? "entry" : "entries");
    return kExitPartial;
  }
  return kExitOk;
}

int RunAuditCommand(const AuditOptions& options) {
  const OutputFormat format = FormatNamed(options.format);

  platform::Registry* registry = &platform::NativeRegistry();
  platform::FileSizeLookup fileSize = platform::NativeWindowsFileSize;
  std::string where = platform::NativeRegistryDescription();
  std::optional<platform::WindowsSystem> other;
  if (!options.prefix.empty()) {
    auto opened = platform::OpenWindowsSystemAt(Utf8ToNative(options.prefix));
    if (!opened) {
      std::fprintf(stderr, "kelvo-cli: --prefix: %s\n", opened.error().c_str());
      return kExitUsage;
    }
    other = std::move(*opened);
    registry = other->registry.get();
    fileSize = other->fileSize;
    where = "the Wine prefix " + options.prefix;
  }

  OutputBuffer out(stdout);
  auto writer = MakeRowWriter(format, out);
  CliScanSink sink([&](scan::JunkItem&& item) { writer->Write(item); }, false);
  const components::AuditSummary summary = components::AuditSharedDlls(sink, *registry, fileSize);
  writer->Finish();
  out.Flush();
  const int status = ReportAudit(summary, where);
  if (out.failed()) return kExitPartial;  // reported with the command's end
  return status;
}

}  // namespace kelvo::cli
