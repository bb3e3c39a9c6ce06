#include "platform/win32/win32_error.h"

#include <windows.h>

#include <string>

#include "platform/native_string.h"

namespace kelvo::platform {
namespace {

class Win32ErrorCategory final : public std::error_category {
 public:
  const char* name() const noexcept override { return "win32"; }

  std::string message(int code) const override {
    wchar_t* buffer = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, static_cast<DWORD>(code), 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::string text;
    if (length > 0 && buffer) text = NativeToUtf8(NativeStringView(buffer, length));
    if (buffer) ::LocalFree(buffer);
    while (!text.empty() &&
           (text.back() == '\n' || text.back() == '\r' || text.back() == ' ' || text.back() == '.'))
      text.pop_back();
    if (text.empty()) text = "Windows error " + std::to_string(code);
    return text;
  }

  std::error_condition default_error_condition(int code) const noexcept override {
    switch (static_cast<DWORD>(code)) {
      case ERROR_FILE_NOT_FOUND:
      case ERROR_PATH_NOT_FOUND:
      case ERROR_INVALID_DRIVE:
      case ERROR_BAD_NETPATH:
      case ERROR_BAD_PATHNAME:
        return std::errc::no_such_file_or_directory;
      case ERROR_ACCESS_DENIED:
      case ERROR_PRIVILEGE_NOT_HELD:
        return std::errc::permission_denied;
      case ERROR_SHARING_VIOLATION:
      case ERROR_LOCK_VIOLATION:
        return std::errc::device_or_resource_busy;
      case ERROR_DIRECTORY:
        return std::errc::not_a_directory;
      case ERROR_DIR_NOT_EMPTY:
        return std::errc::directory_not_empty;
      case ERROR_FILE_EXISTS:
      case ERROR_ALREADY_EXISTS:
        return std::errc::file_exists;
      case ERROR_FILENAME_EXCED_RANGE:
        return std::errc::filename_too_long;
      case ERROR_NOT_ENOUGH_MEMORY:
      case ERROR_OUTOFMEMORY:
        return std::errc::not_enough_memory;
      case ERROR_DISK_FULL:
      case ERROR_HANDLE_DISK_FULL:
        return std::errc::no_space_on_device;
      case ERROR_WRITE_PROTECT:
        return std::errc::read_only_file_system;
      case ERROR_INVALID_PARAMETER:
      case ERROR_INVALID_NAME:
        return std::errc::invalid_argument;
      case WAIT_TIMEOUT:
      case ERROR_TIMEOUT:
        return std::errc::timed_out;
      default:
        return {code, *this};
    }
  }
};

}  // namespace

const std::error_category& Win32Category() {
  static const Win32ErrorCategory category;
  return category;
}

std::error_code LastWin32Error() {
  const DWORD code = ::GetLastError();
  return Win32Error(code == ERROR_SUCCESS ? ERROR_GEN_FAILURE : code);
}

}  // namespace kelvo::platform
