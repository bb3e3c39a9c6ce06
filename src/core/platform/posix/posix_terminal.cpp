#include <unistd.h>

#include "platform/terminal.h"

namespace kelvo::platform {

bool ErrorStreamIsTerminal() {
  return ::isatty(STDERR_FILENO) == 1;
}

}  // namespace kelvo::platform
