// Windows error codes as std::error_code: messages from the system, and equivalence with the
// portable conditions (std::errc) for the common cases.
#pragma once

#include <system_error>

namespace kelvo::platform {

const std::error_category& Win32Category();

inline std::error_code Win32Error(unsigned long code) {
  return {static_cast<int>(code), Win32Category()};
}

// GetLastError() as an error code; never "success", even when the failing call set no error.
[[nodiscard]] std::error_code LastWin32Error();

}  // namespace kelvo::platform
