// kelvo-cli: the junk-file scan of Kelvo on the command line. The process entry is in
// entry_posix.cpp or entry_win32.cpp.
//   scan     walk folders and print every junk hit as a row
//   clean    delete what a scan finds, or the rows of a list that scan printed
//   drives   print the local fixed disks that a scan covers by default
//   locations  print the common junk locations found here and what they hold
//   audit-dlls  list the files of the shared-DLL table whose count has dropped to 0
//   keep     list or edit the keep-list: folders and patterns that are never touched
#include <CLI/CLI.hpp>

#include <cstdio>
#include <string>
#include <string_view>

#include "audit_command.h"
#include "clean_command.h"
#include "commands.h"
#include "keep_command.h"
#include "usage_errors.h"
#include "version/version.h"

namespace kelvo::cli {

int RunCommandLine(int argc, char** argv) {
  CLI::App app{"Kelvo junk-file scanner (command line)", "kelvo-cli"};
  app.require_subcommand(1);
  app.set_version_flag("-V,--version", std::string(kVersionText), "Print the version and exit");

  ScanOptions scanOptions;
  CLI::App* scan = app.add_subcommand(
      "scan", "Scan folders for junk files and print one row per hit, in the order found");
  AddScanOptions(*scan, scanOptions);
  CLI::Option* print0 = scan->add_flag(
      "-0,--print0", scanOptions.print0,
      "Print only the paths, each ended by a NUL byte (for xargs -0), instead of rows");
  print0->excludes(scan->get_option("--format"));
  scan->add_flag("--dll-audit", scanOptions.dllAudit,
                 "After the walk, also list the files of the shared-DLL table whose count is 0\n"
                 "(the Wine prefix's registry on Linux; deleting them is dangerous)");
  scan->add_flag("--summary", scanOptions.summary,
                 "After the rows, print on stderr one line per kind and per disk and a total:\n"
                 "  KIND<TAB>FILES<TAB>BYTES<TAB>BYTES_ON_DISK, each file counted once");

  CleanOptions cleanOptions;
  CLI::App* clean = app.add_subcommand(
      "clean", "Delete the junk a scan finds, or exactly the rows of a list that 'scan' printed");
  AddCleanOptions(*clean, cleanOptions);

  CLI::App* drives = app.add_subcommand("drives", "List the local fixed disks (key and text)");
  CLI::App* locations = app.add_subcommand(
      "locations",
      "List the common junk locations: key, label, the files and bytes a scan of them would\n"
      "list, and their folders found here");

  AuditOptions auditOptions;
  CLI::App* auditDlls = app.add_subcommand(
      "audit-dlls", "List the files of the shared-DLL table whose count has dropped to 0");
  AddAuditOptions(*auditDlls, auditOptions);

  KeepOptions keepOptions;
  CLI::App* keep = app.add_subcommand(
      "keep", "List or edit the keep-list: folders and patterns that are never scanned or deleted");
  AddKeepOptions(*keep, keepOptions);

  // The parser would take the next argument as the value of "--from=": an empty value names
  // nothing and must never mean the default (for --from, scanning every disk).
  for (int i = 1; i < argc && std::string_view(argv[i]) != "--"; ++i) {
    const std::string_view arg = argv[i];
    if (arg.size() > 3 && arg.substr(0, 2) == "--" && arg.find('=') == arg.size() - 1) {
      std::fprintf(stderr, "kelvo-cli: %.*s: an empty value names nothing\n",
                   static_cast<int>(arg.size() - 1), arg.data());
      return kExitUsage;
    }
  }
  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForAllHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForVersion&) {
    std::printf("%s\n", std::string(kVersionText).c_str());
    return kExitOk;
  } catch (const CLI::ParseError& e) {
    std::fprintf(stderr, "kelvo-cli: %s\n", DescribeParseError(app, e).c_str());
    return kExitUsage;
  }

  int status = kExitUsage;
  if (scan->parsed()) status = RunScanCommand(scanOptions);
  if (clean->parsed()) status = RunCleanCommand(cleanOptions);
  if (drives->parsed()) status = RunDrivesCommand();
  if (locations->parsed()) status = RunLocationsCommand();
  if (auditDlls->parsed()) status = RunAuditCommand(auditOptions);
  if (keep->parsed()) status = RunKeepCommand(keepOptions);
  return FinishOutput(status);
}

int FinishOutput(int status) {
  if (std::fflush(stdout) == 0 && !std::ferror(stdout)) return status;
  std::fprintf(stderr, "kelvo-cli: writing the output failed\n");
  return status == kExitOk ? kExitPartial : status;
}

}  // namespace kelvo::cli
