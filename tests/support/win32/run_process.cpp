// RunProcess for Windows: CreateProcessW with pipes for the three standard streams. A program given
// without a folder is looked up beside the test program first (the CreateProcess search order).
#include <windows.h>

#include <thread>

#include "platform/native_string.h"
#include "support/run_process.h"

namespace kelvo::testing {
namespace {

// Quoting that CommandLineToArgvW and the C runtime undo exactly.
void AppendQuoted(NativeString& line, const NativeString& arg) {
  if (!arg.empty() && arg.find_first_of(L" \t\n\v\"") == NativeString::npos) {
    line += arg;
    return;
  }
  line += L'"';
  for (std::size_t i = 0;; ++i) {
    std::size_t backslashes = 0;
    while (i < arg.size() && arg[i] == L'\\') {
      ++i;
      ++backslashes;
    }
    if (i == arg.size()) {
      line.append(backslashes * 2, L'\\');
      break;
    }
    if (arg[i] == L'"') {
      line.append(backslashes * 2 + 1, L'\\');
    } else {
      line.append(backslashes, L'\\');
    }
    line += arg[i];
  }
  line += L'"';
}

struct Pipe {
  HANDLE read = nullptr;
  HANDLE write = nullptr;
};

// A pipe whose child end (write for output, read for input) is inheritable.
bool MakePipe(Pipe& p, bool childReads) {
  SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
  if (!::CreatePipe(&p.read, &p.write, &sa, 0)) return false;
  ::SetHandleInformation(childReads ? p.write : p.read, HANDLE_FLAG_INHERIT, 0);
  return true;
}

void Drain(HANDLE from, std::string& into) {
  char buffer[65536];
  DWORD n = 0;
  while (::ReadFile(from, buffer, sizeof buffer, &n, nullptr) && n > 0) into.append(buffer, n);
}

}  // namespace

ProcessResult RunProcess(const std::string& program, const std::vector<std::string>& args,
                         const std::string& input) {
  ProcessResult result;
  Pipe in, out, err;
  if (!MakePipe(in, true) || !MakePipe(out, false) || !MakePipe(err, false)) return result;

  NativeString line;
  AppendQuoted(line, Utf8ToNative(program));
  for (const std::string& a : args) {
    line += L' ';
    AppendQuoted(line, Utf8ToNative(a));
  }
  STARTUPINFOW si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdInput = in.read;
  si.hStdOutput = out.write;
  si.hStdError = err.write;
  PROCESS_INFORMATION pi{};
  const BOOL started = ::CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE,
                                        CREATE_NO_WINDOW, nullptr, nullptr, &si, &pi);
  ::CloseHandle(in.read);
  ::CloseHandle(out.write);
  ::CloseHandle(err.write);
  if (!started) {
    for (HANDLE h : {in.write, out.read, err.read}) ::CloseHandle(h);
    return result;
  }
  std::thread writer([&] {
    DWORD written = 0;
    if (!input.empty())
      ::WriteFile(in.write, input.data(), static_cast<DWORD>(input.size()), &written, nullptr);
    ::CloseHandle(in.write);
  });
  std::thread errReader([&] { Drain(err.read, result.err); });
  Drain(out.read, result.out);
  errReader.join();
  writer.join();
  ::WaitForSingleObject(pi.hProcess, INFINITE);
  DWORD status = 0;
  ::GetExitCodeProcess(pi.hProcess, &status);
  result.exitStatus = static_cast<int>(status);
  for (HANDLE h : {pi.hProcess, pi.hThread, out.read, err.read}) ::CloseHandle(h);
  return result;
}

}  // namespace kelvo::testing
