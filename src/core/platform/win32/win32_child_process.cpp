// On Windows the administrator step is a separate program whose manifest asks for elevation; it
// is not built yet, so there is nothing to run here.
#include <windows.h>

#include "platform/child_process.h"

namespace kelvo::platform {

Result<ChildRun> RunChild(const std::vector<NativeString>&, std::string_view, std::size_t) {
  return Unexpected(std::make_error_code(std::errc::function_not_supported));
}

Result<NativeString> OwnExecutablePath() {
  std::wstring path(32768, L'\0');
  const DWORD n = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
  if (n == 0 || n >= path.size())
    return Unexpected(std::error_code(static_cast<int>(::GetLastError()), std::system_category()));
  path.resize(n);
  return NativeString(path);
}

}  // namespace kelvo::platform
