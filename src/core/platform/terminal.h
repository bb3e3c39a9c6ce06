// The interactive terminal: whether progress may be drawn on standard error, and where a question
// to the user can be answered.
#pragma once

#include <cstdio>

namespace kelvo::platform {

// True when standard error is an interactive terminal that understands the line-erase sequence
// "\r\033[K" (on Windows the console's virtual-terminal mode is switched on for it here).
bool ErrorStreamIsTerminal();

// True when standard input is an interactive terminal.
bool InputStreamIsTerminal();

// The terminal itself, opened for reading even when standard input is redirected ("/dev/tty",
// "CONIN$"); nullptr when the process has none. The caller closes it.
std::FILE* OpenTerminalForReading();

}  // namespace kelvo::platform
