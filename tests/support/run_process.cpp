#include "support/run_process.h"

#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>

namespace kelvo::testing {

ProcessResult RunProcess(const std::string& program, const std::vector<std::string>& args,
                         const std::string& input) {
  int in[2], out[2], err[2];
  if (::pipe(in) || ::pipe(out) || ::pipe(err)) return {};
  pid_t pid = ::fork();
  if (pid == 0) {
    ::dup2(in[0], 0);
    ::dup2(out[1], 1);
    ::dup2(err[1], 2);
    for (int fd : {in[0], in[1], out[0], out[1], err[0], err[1]}) ::close(fd);
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    ::execv(program.c_str(), argv.data());
    ::_exit(127);
  }
  ::close(in[0]);
  ::close(out[1]);
  ::close(err[1]);
  std::size_t written = 0;
  if (input.empty()) ::close(in[1]);
  ProcessResult result;
  bool outOpen = true, errOpen = true, inOpen = !input.empty();
  char buffer[65536];
  while (outOpen || errOpen) {
    pollfd fds[3] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}, {in[1], POLLOUT, 0}};
    if (!outOpen) fds[0].fd = -1;
    if (!errOpen) fds[1].fd = -1;
    if (!inOpen) fds[2].fd = -1;
    if (::poll(fds, 3, -1) < 0) break;
    if (inOpen && (fds[2].revents & (POLLOUT | POLLERR | POLLHUP))) {
      ssize_t n = ::write(in[1], input.data() + written, input.size() - written);
      if (n > 0) written += static_cast<std::size_t>(n);
      if (n <= 0 || written == input.size()) {
        ::close(in[1]);
        inOpen = false;
      }
    }
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
      ssize_t n = ::read(fds[i].fd, buffer, sizeof buffer);
      if (n <= 0) {
        ::close(fds[i].fd);
        (i == 0 ? outOpen : errOpen) = false;
      } else {
        (i == 0 ? result.out : result.err).append(buffer, static_cast<std::size_t>(n));
      }
    }
  }
  if (inOpen) ::close(in[1]);
  int status = 0;
  ::waitpid(pid, &status, 0);
  result.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  return result;
}

}  // namespace kelvo::testing
