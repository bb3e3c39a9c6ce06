// The one owner of a POSIX file descriptor: closed when it goes out of scope, or on request with
// the result checked (a late write error can surface at close).
#pragma once

#include <unistd.h>

#include <cerrno>
#include <system_error>
#include <tuple>
#include <utility>

#include "platform/posix/posix_error.h"

namespace kelvo::platform {

class UniqueFd {
 public:
  UniqueFd() = default;
  explicit UniqueFd(int fd) : fd_(fd) {}
  ~UniqueFd() { Reset(); }
  UniqueFd(UniqueFd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  UniqueFd& operator=(UniqueFd&& other) noexcept {
    if (this != &other) {
      Reset();
      fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
  }
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;

  int get() const { return fd_; }
  explicit operator bool() const { return fd_ >= 0; }

  // Gives up ownership without closing (for fdopendir, which takes the descriptor over).
  [[nodiscard]] int Release() { return std::exchange(fd_, -1); }

  // Closes now and reports the result; a writer must check it before trusting its data.
  [[nodiscard]] std::error_code Close() {
    const int fd = std::exchange(fd_, -1);
    if (fd >= 0 && ::close(fd) != 0) return LastErrnoError();
    return {};
  }

 private:
  // Closing a descriptor that only read or listed: nothing can be lost, so the result is not
  // needed.
  void Reset() { std::ignore = Close(); }

  int fd_ = -1;
};

}  // namespace kelvo::platform
