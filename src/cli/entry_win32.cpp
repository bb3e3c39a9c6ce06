// The Windows entry: arguments arrive as UTF-16 and are handed on as UTF-8; rows and messages are
// written as UTF-8 bytes, unchanged (no carriage returns added by the C runtime).
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "commands.h"
#include "platform/native_string.h"

namespace {

// Shows UTF-8 output correctly in a console, and gives the console its code page back at the end.
class ConsoleUtf8 {
 public:
  ConsoleUtf8() : previous_(::GetConsoleOutputCP()) {
    if (previous_ != 0) ::SetConsoleOutputCP(CP_UTF8);
  }
  ~ConsoleUtf8() {
    if (previous_ != 0) ::SetConsoleOutputCP(previous_);
  }
  ConsoleUtf8(const ConsoleUtf8&) = delete;
  ConsoleUtf8& operator=(const ConsoleUtf8&) = delete;

 private:
  UINT previous_;
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
  ::_setmode(::_fileno(stdin), _O_BINARY);  // lists read from stdin arrive byte for byte
  ::_setmode(::_fileno(stdout), _O_BINARY);
  ::_setmode(::_fileno(stderr), _O_BINARY);
  ConsoleUtf8 console;

  std::vector<std::string> args;
  args.reserve(static_cast<std::size_t>(argc));
  for (int i = 0; i < argc; ++i) args.push_back(kelvo::NativeToUtf8(argv[i]));
  std::vector<char*> pointers;
  for (std::string& a : args) pointers.push_back(a.data());
  pointers.push_back(nullptr);
  const int status = kelvo::cli::RunCommandLine(argc, pointers.data());
  std::fflush(stdout);
  std::fflush(stderr);
  return status;
}
