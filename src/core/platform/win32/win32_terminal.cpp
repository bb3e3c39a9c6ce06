#include <windows.h>

#include "platform/terminal.h"

namespace kelvo::platform {

bool ErrorStreamIsTerminal() {
  HANDLE err = ::GetStdHandle(STD_ERROR_HANDLE);
  DWORD mode = 0;
  if (err == nullptr || err == INVALID_HANDLE_VALUE || !::GetConsoleMode(err, &mode)) return false;
  if (mode & ENABLE_VIRTUAL_TERMINAL_PROCESSING) return true;
  return ::SetConsoleMode(err, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0;
}

}  // namespace kelvo::platform
