// Why the program refused a file of its own (settings, component copies) that the system would
// have opened: the checks that keep a planted link, a FIFO or a device from being read or written.
#pragma once

#include <system_error>
#include <type_traits>

namespace kelvo::platform {

enum class FileRefusal {
  kNotRegularFile = 1,  // a FIFO, a device, a socket: reading it could block or never end
  kForeignLink,         // a symbolic link (or its target, for a write) that belongs to another user
};

const std::error_category& FileRefusalCategory();

inline std::error_code make_error_code(FileRefusal refusal) {
  return {static_cast<int>(refusal), FileRefusalCategory()};
}

}  // namespace kelvo::platform

template <>
struct std::is_error_code_enum<kelvo::platform::FileRefusal> : std::true_type {};
