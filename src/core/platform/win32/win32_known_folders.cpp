#include <windows.h>

#include "platform/known_folders.h"

namespace kelvo::platform {

NativeString ProgramFolder() {
  std::wstring buffer(MAX_PATH, L'\0');
  for (;;) {
    DWORD n = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) return L".";
    if (n < buffer.size()) {
      buffer.resize(n);
      break;
    }
    buffer.assign(buffer.size() * 2, L'\0');
  }
  auto slash = buffer.rfind(L'\\');
  if (slash == std::wstring::npos) return L".";
  std::wstring folder = buffer.substr(0, slash);
  // A drive root keeps its backslash ("C:\"), as the program folder has always been given.
  if (folder.size() == 2 && folder[1] == L':') folder += L'\\';
  return folder;
}

NativeString SettingsFolder() {
  return ProgramFolder();
}

namespace {

// The text a fixed-size buffer call wrote: up to its NUL (the whole filler when the call failed).
NativeString UpToNul(const std::wstring& buffer) {
  return buffer.substr(0, buffer.find(L'\0'));
}

}  // namespace

NativeString OperatingSystemFolder() {
  std::wstring buffer(256, L' ');
  ::GetWindowsDirectoryW(buffer.data(), static_cast<UINT>(buffer.size()));
  return UpToNul(buffer);
}

NativeString ComponentSystemFolder() {
  std::wstring buffer(256, L' ');
  ::GetSystemDirectoryW(buffer.data(), static_cast<UINT>(buffer.size()));
  return UpToNul(buffer);
}

}  // namespace kelvo::platform
