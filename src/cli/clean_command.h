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
  std::string from;  // a list printed by scan, "-" for standard input; empty: scan now
  bool yes = false;
  bool dryRun = false;
};

void AddCleanOptions(CLI::App& command, CleanOptions& options);
int RunCleanCommand(const CleanOptions& options);

}  // namespace kelvo::cli
