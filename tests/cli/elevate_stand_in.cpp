// A stand-in for pkexec in the tests: started by a process whose real user is root and whose
// effective user is a normal one, it becomes root again, says who asked in PKEXEC_UID as pkexec
// does, and runs the rest of its arguments.
#include <grp.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
  if (argc < 2) return 127;
  const std::string asker = std::to_string(::geteuid());
  if (::setresgid(0, 0, 0) != 0 || ::setresuid(0, 0, 0) != 0) {
    std::perror("elevate stand-in");
    return 127;
  }
  ::setenv("PKEXEC_UID", asker.c_str(), 1);
  ::execv(argv[1], argv + 1);
  std::perror("elevate stand-in");
  return 127;
}
