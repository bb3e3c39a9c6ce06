// kelvo-cli clean: delete the junk a scan finds, or exactly the rows of a list that scan printed.
#pragma once

#include <string>

#include "scan_options.h"

namespace CLI {
class App;
}

namespace kelvo::cli {

struct CleanOptions {
  ScanOptions scan;
  std::string from;   // a list printed by scan or of paths, "-" for standard input; empty: scan now
  std::string from0;  // a list of paths separated by NUL bytes, "-" for standard input
  bool yes = false;
  bool dryRun = false;
  bool trash = false;  // move into the desktop's trash instead of deleting
  bool admin = false;  // then clean the rows only an administrator may remove, through pkexec
};

void AddCleanOptions(CLI::App& command, CleanOptions& options);
int RunCleanCommand(const CleanOptions& options);

}  // namespace kelvo::cli
