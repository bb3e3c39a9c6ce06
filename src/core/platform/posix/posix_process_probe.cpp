#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <vector>

#include "platform/posix/unique_fd.h"
#include "platform/process_probe.h"

namespace kelvo::platform {

std::optional<std::string> ReadLinkText(const NativeString& path) {
  std::vector<char> buffer(256);
  for (;;) {
    const ssize_t n = ::readlink(path.c_str(), buffer.data(), buffer.size());
    if (n < 0) return std::nullopt;
    if (static_cast<std::size_t>(n) < buffer.size())
      return std::string(buffer.data(), static_cast<std::size_t>(n));
    buffer.resize(buffer.size() * 2);
  }
}

std::string HostName() {
  char name[HOST_NAME_MAX + 1] = {};
  if (::gethostname(name, sizeof name - 1) != 0) return {};
  return name;
}

bool ProcessRuns(long long pid) {
  if (pid <= 0 || pid > INT_MAX) return false;
  // Signal 0 only asks; EPERM means the process is there but belongs to someone else.
  return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

bool FileLockHeld(const NativeString& path) {
  UniqueFd fd(::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
  if (!fd) return false;
  struct flock probe {};
  probe.l_type = F_WRLCK;
  probe.l_whence = SEEK_SET;
  return ::fcntl(fd.get(), F_GETLK, &probe) == 0 && probe.l_type != F_UNLCK;
}

bool EntryExists(const NativeString& path) {
  struct stat st;
  return ::lstat(path.c_str(), &st) == 0;
}

}  // namespace kelvo::platform
