#include "platform/posix/whole_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "platform/posix/posix_error.h"
#include "platform/posix/unique_fd.h"

namespace kelvo::platform {

Result<std::string> ReadWholeFile(int fd, std::size_t limit) {
  std::string out;
  char buffer[64 * 1024];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return Unexpected(LastErrnoError());
    if (n == 0) return out;
    if (out.size() + static_cast<std::size_t>(n) > limit)
      return Unexpected(std::make_error_code(std::errc::file_too_large));
    out.append(buffer, static_cast<std::size_t>(n));
  }
}

Result<std::string> ReadWholeFile(const char* path, std::size_t limit) {
  UniqueFd fd(::open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
  if (!fd) return Unexpected(LastErrnoError());
  return ReadWholeFile(fd.get(), limit);
}

}  // namespace kelvo::platform
