// The subcommands of kelvo-cli. Each returns the process exit status.
#pragma once

#include "scan_options.h"

namespace kelvo::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitPartial = 1;  // done, but something could not be read or deleted
inline constexpr int kExitUsage = 2;

// The whole command line, arguments in UTF-8 (on POSIX: as the system gave them).
int RunCommandLine(int argc, char** argv);

// Every write to standard output is checked here, once, at the end: a status of 0 becomes 1 when
// something printed was lost (a full disk, a closed pipe).
int FinishOutput(int status);

int RunScanCommand(const ScanOptions& options);
int RunDrivesCommand();
int RunLocationsCommand();

}  // namespace kelvo::cli
