#include <windows.h>

#include <cstdio>

#include "platform/terminal.h"

namespace kelvo::platform {
namespace {

bool IsConsole(DWORD stream, DWORD& mode) {
  HANDLE h = ::GetStdHandle(stream);
  return h != nullptr && h != INVALID_HANDLE_VALUE && ::GetConsoleMode(h, &mode);
}

}  // namespace

bool ErrorStreamIsTerminal() {
  DWORD mode = 0;
  if (!IsConsole(STD_ERROR_HANDLE, mode)) return false;
  if (mode & ENABLE_VIRTUAL_TERMINAL_PROCESSING) return true;
  return ::SetConsoleMode(::GetStdHandle(STD_ERROR_HANDLE),
                          mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0;
}

bool InputStreamIsTerminal() {
  DWORD mode = 0;
  return IsConsole(STD_INPUT_HANDLE, mode);
}

std::FILE* OpenTerminalForReading() {
  return ::_wfopen(L"CONIN$", L"r");
}

}  // namespace kelvo::platform
