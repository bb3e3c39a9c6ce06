// Running one helper program with a text on its standard input and its standard output captured:
// the administrator step (pkexec kelvo-cli ...) is such a program.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "platform/native_string.h"
#include "text/result.h"

namespace kelvo::platform {

struct ChildRun {
  int exitStatus = -1;  // the program's exit status; 128 + the signal that ended it
  std::string output;   // what it wrote on its standard output
};

// Runs argv[0] (looked up in PATH when it names no folder) with argv, writes input to its standard
// input and closes it, and collects its standard output up to maxOutput bytes (more ends the run:
// std::errc::value_too_large). Its standard error is this process's, so that a password prompt or
// an error of the program is seen. Blocks until the program has ended.
Result<ChildRun> RunChild(const std::vector<NativeString>& argv, std::string_view input,
                          std::size_t maxOutput);

// The running program's own file, for starting it again under another user.
Result<NativeString> OwnExecutablePath();

}  // namespace kelvo::platform
