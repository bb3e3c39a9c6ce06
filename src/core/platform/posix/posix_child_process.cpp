#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <ctime>

#include "platform/child_process.h"
#include "platform/posix/posix_error.h"
#include "platform/posix/unique_fd.h"

extern char** environ;

namespace kelvo::platform {
namespace {

// A child that stops reading must not end this process with SIGPIPE: the signal is held back while
// writing and a pending one is taken away before it is let through again.
class SigpipeHeld {
 public:
  SigpipeHeld() {
    sigemptyset(&pipe_);
    sigaddset(&pipe_, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipe_, &old_);
  }
  ~SigpipeHeld() {
    const timespec none{0, 0};
    while (sigtimedwait(&pipe_, nullptr, &none) > 0) {
    }
    pthread_sigmask(SIG_SETMASK, &old_, nullptr);
  }
  SigpipeHeld(const SigpipeHeld&) = delete;
  SigpipeHeld& operator=(const SigpipeHeld&) = delete;

 private:
  sigset_t pipe_{};
  sigset_t old_{};
};

}  // namespace

Result<ChildRun> RunChild(const std::vector<NativeString>& argv, std::string_view input,
                          std::size_t maxOutput) {
  if (argv.empty()) return Unexpected(std::make_error_code(std::errc::invalid_argument));
  int in[2], out[2];
  if (::pipe2(in, O_CLOEXEC) != 0) return Unexpected(LastErrnoError());
  UniqueFd inRead(in[0]), inWrite(in[1]);
  if (::pipe2(out, O_CLOEXEC) != 0) return Unexpected(LastErrnoError());
  UniqueFd outRead(out[0]), outWrite(out[1]);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, inRead.get(), 0);
  posix_spawn_file_actions_adddup2(&actions, outWrite.get(), 1);
  std::vector<char*> args;
  for (const NativeString& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  pid_t pid = 0;
  const int spawned = ::posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return Unexpected(ErrnoError(spawned));
  inRead = UniqueFd();
  outWrite = UniqueFd();
  // Written as the child reads, between reads of its output, so that neither side waits forever.
  ::fcntl(inWrite.get(), F_SETFL, ::fcntl(inWrite.get(), F_GETFL) | O_NONBLOCK);

  ChildRun run;
  std::error_code failure;
  {
    SigpipeHeld held;
    std::size_t written = 0;
    if (input.empty()) inWrite = UniqueFd();
    char buffer[65536];
    while (outRead) {
      pollfd fds[2] = {{outRead.get(), POLLIN, 0}, {inWrite ? inWrite.get() : -1, POLLOUT, 0}};
      if (::poll(fds, 2, -1) < 0) {
        if (errno == EINTR) continue;
        failure = LastErrnoError();
        break;
      }
      if (inWrite && (fds[1].revents & (POLLOUT | POLLERR | POLLHUP))) {
        const ssize_t n = ::write(inWrite.get(), input.data() + written, input.size() - written);
        if (n > 0) written += static_cast<std::size_t>(n);
        if ((n < 0 && errno != EINTR && errno != EAGAIN) || written == input.size())
          inWrite = UniqueFd();  // all written, or the child has stopped reading: its report tells
      }
      if (fds[0].revents & (POLLIN | POLLHUP | POLLERR)) {
        const ssize_t n = ::read(outRead.get(), buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
          outRead = UniqueFd();
        } else if (run.output.size() + static_cast<std::size_t>(n) > maxOutput) {
          failure = std::make_error_code(std::errc::value_too_large);
          ::kill(pid, SIGTERM);
          outRead = UniqueFd();
        } else {
          run.output.append(buffer, static_cast<std::size_t>(n));
        }
      }
    }
    inWrite = UniqueFd();
  }
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (failure) return Unexpected(failure);
  run.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  return run;
}

Result<NativeString> OwnExecutablePath() {
  char path[PATH_MAX];
  const ssize_t n = ::readlink("/proc/self/exe", path, sizeof path);
  if (n <= 0 || static_cast<std::size_t>(n) >= sizeof path) return Unexpected(LastErrnoError());
  return NativeString(path, static_cast<std::size_t>(n));
}

}  // namespace kelvo::platform
