#include <unistd.h>

#include "platform/terminal.h"

namespace kelvo::platform {

bool ErrorStreamIsTerminal() {
  return ::isatty(STDERR_FILENO) == 1;
}

bool InputStreamIsTerminal() {
  return ::isatty(STDIN_FILENO) == 1;
}

std::FILE* OpenTerminalForReading() {
  return std::fopen("/dev/tty", "r");
}

}  // namespace kelvo::platform
