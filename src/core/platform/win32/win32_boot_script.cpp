#include <windows.h>

#include "platform/boot_script.h"

namespace kelvo::platform {
namespace {

// The boot batch file is read by the command interpreter in the ANSI code page.
std::string ToAnsi(const std::wstring& text) {
  if (text.empty()) return {};
  int size = ::WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr,
                                   0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
  if (size > 0) {
    ::WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), out.data(), size,
                          nullptr, nullptr);
  }
  return out;
}

}  // namespace

BootScriptLine TempCleanupLine(const NativeString& systemFolder) {
  return {L"c:\\Autoexec.bat", "Deltree /y " + ToAnsi(systemFolder) + "temp\\*.*", "\r\n"};
}

}  // namespace kelvo::platform

namespace kelvo::platform {

std::optional<std::string> ExistingTempCleanupRule(const NativeString&, const NativeString&,
                                                   const NativeString&) {
  return std::nullopt;
}

}  // namespace kelvo::platform
