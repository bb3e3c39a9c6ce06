// kelvo-cli keep: the stored keep-list (list, add, remove), and the keep-list a scan or clean uses.
#pragma once

#include <string>
#include <system_error>
#include <vector>

#include "scan/keep_list.h"
#include "scan_options.h"
#include "text/result.h"

namespace CLI {
class App;
}

namespace kelvo::cli {

struct KeepOptions {
  std::string action;  // list, add, remove
  std::vector<std::string> entries;
  bool pattern = false;  // add: store as a pattern even when it names a folder
};

void AddKeepOptions(CLI::App& command, KeepOptions& options);
int RunKeepCommand(const KeepOptions& options);

// "the keep-list cannot be read from FILE: REASON", for the message of each command.
std::string UnreadableKeepListText(std::error_code error);

// ", N held back by the keep-list" for a summary, or nothing when no list was in use.
std::string HeldBackText(const scan::KeepList& keep);

}  // namespace kelvo::cli
