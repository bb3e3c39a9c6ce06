#include <cstdio>
#include <vector>

#include "cli_scan_sink.h"
#include "commands.h"
#include "keep_command.h"
#include "location_roots.h"
#include "platform/file_system.h"
#include "row_writer.h"
#include "run_setup.h"
#include "scan/driver.h"
#include "scan/rule_source.h"

namespace kelvo::cli {

int RunLocationsCommand() {
  const scan::FoundLocations found = FindLocationsHere(scan::LocationSet().set());
  struct Total {
    std::uint64_t files = 0;
    std::uint64_t bytes = 0;
  };
  std::vector<Total> totals(scan::kLocationCount);
  // What a scan of every location with no rule would list.
  CliScanSink sink(
      [&](scan::JunkItem&& item) {
        const auto location = scan::LocationOfRule(item.rule);
        if (!location) return;
        Total& t = totals[static_cast<std::size_t>(*location)];
        ++t.files;
        t.bytes += item.size.value_or(0);
      },
      /*showProgress=*/false);
  // What a clean of them would be offered: the same keep-list and package filter as scan and clean.
  prepare::PreparedRun run(RunChoicesFor(ScanOptions{}));
  if (auto error = run.KeepListError())
    std::fprintf(stderr, "kelvo-cli: warning: %s; counting without the stored keep-list\n",
                 UnreadableKeepListText(*error).c_str());
  scan::ScanState state;
  run.Configure(state);
  scan::FixedRules noRules{scan::RuleSwitches()};
  scan::ScanRequest request;
  scan::AddLocationRoots(request, found);
  scan::RunScan(state, request, noRules, sink, platform::NativeFileSystem());

  for (int i = 0; i < scan::kLocationCount; ++i) {
    const scan::LocationInfo& info = scan::kLocations[static_cast<std::size_t>(i)];
    const Total& t = totals[static_cast<std::size_t>(i)];
    std::printf("%s\t%s\t%llu files\t%llu bytes\n", std::string(info.key).c_str(),
                std::string(info.label).c_str(), static_cast<unsigned long long>(t.files),
                static_cast<unsigned long long>(t.bytes));
    for (const scan::LocationFolder& f : found.folders)
      if (f.location == i) std::printf("\t%s\n", EscapeForTerminal(NativeToUtf8(f.path)).c_str());
  }
  return sink.totals().unreadableFolders ? kExitPartial : kExitOk;
}

}  // namespace kelvo::cli
