// The POSIX back end's one way of turning errno into an error value.
#pragma once

#include <cerrno>
#include <system_error>

namespace kelvo::platform {

[[nodiscard]] inline std::error_code ErrnoError(int e) {
  return {e, std::generic_category()};
}

// The error the last failed call left in errno.
[[nodiscard]] inline std::error_code LastErrnoError() {
  return ErrnoError(errno);
}

}  // namespace kelvo::platform
