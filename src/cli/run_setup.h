// The one set-up of a command's run, from its scan options: the keep-list (stored and --keep),
// the package filter and the readers, as the prepare layer makes them for both programs.
#pragma once

#include <string>

#include "prepare/prepared_run.h"
#include "scan_options.h"

namespace kelvo::cli {

prepare::RunChoices RunChoicesFor(const ScanOptions& options);

}  // namespace kelvo::cli
