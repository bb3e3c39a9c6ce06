// Windows file times as the nanoseconds since 1970 that the rest of the program compares.
#pragma once

#include <windows.h>

#include <cstdint>

namespace kelvo::platform {

// FILETIME counts 100-nanosecond ticks since 1601.
inline std::int64_t FileTimeNanoseconds(const FILETIME& t) {
  const auto ticks = static_cast<std::int64_t>(
      (static_cast<std::uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime);
  return (ticks - 116444736000000000LL) * 100;
}

}  // namespace kelvo::platform
