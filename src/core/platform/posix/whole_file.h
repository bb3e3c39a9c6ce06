// Reading a whole file into memory with a bound: the text grows with what is read, never by what
// the file claims, since a sparse, /proc or /sys file may claim anything.
#pragma once

#include <cstddef>
#include <string>
#include <system_error>

#include "text/result.h"

namespace kelvo::platform {

// The rest of the open file fd; std::errc::file_too_large once more than limit bytes were read.
Result<std::string> ReadWholeFile(int fd, std::size_t limit);

// The file at path, opened read-only and non-blocking (a FIFO put there must not hold the open).
Result<std::string> ReadWholeFile(const char* path, std::size_t limit);

}  // namespace kelvo::platform
