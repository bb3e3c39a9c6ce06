// Components as DLLs: LoadLibraryW/GetProcAddress, and the entry run on a thread of CreateThread
// waited for with WaitForSingleObject.
#define NOMINMAX
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <algorithm>

#include "platform/component_loader.h"

namespace kelvo::platform {
namespace {

// Registration entries take no argument, unlike a thread procedure, so they are called from one.
DWORD WINAPI CallEntry(LPVOID entry) {
  using Entry = HRESULT(STDAPICALLTYPE*)();
  return static_cast<DWORD>(reinterpret_cast<Entry>(entry)());
}

class Win32ComponentLoader final : public ComponentLoader {
 public:
  bool Copy(const NativeString& from, const NativeString& to) override {
    return ::CopyFileW(from.c_str(), to.c_str(), FALSE) != 0;
  }

  bool IsPresent(const NativeString& path) override {
    WIN32_FIND_DATAW found;
    HANDLE search = ::FindFirstFileW(path.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return false;
    ::FindClose(search);
    constexpr DWORD kNotNormal =
        FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY;
    return (found.dwFileAttributes & kNotNormal) == 0;
  }

  LibraryHandle Load(const NativeString& path) override { return ::LoadLibraryW(path.c_str()); }

  EntryAddress FindEntry(LibraryHandle library, const char* name) override {
    return reinterpret_cast<EntryAddress>(::GetProcAddress(static_cast<HMODULE>(library), name));
  }

  void Unload(LibraryHandle library) override { ::FreeLibrary(static_cast<HMODULE>(library)); }

  EntryRun RunEntry(EntryAddress entry, std::chrono::milliseconds limit) override {
    HANDLE thread = ::CreateThread(nullptr, 0, &CallEntry, entry, 0, nullptr);
    if (thread == nullptr) return EntryRun::kNotStarted;
    auto wait = static_cast<DWORD>(
        std::clamp<std::chrono::milliseconds::rep>(limit.count(), 0, INFINITE - 1));
    DWORD result = ::WaitForSingleObject(thread, wait);
    // Closing the handle does not end the thread; it keeps running on its own if it has to.
    ::CloseHandle(thread);
    return result == WAIT_OBJECT_0 ? EntryRun::kEnded : EntryRun::kStillRunning;
  }
};

}  // namespace

ComponentLoader& NativeComponentLoader() {
  static Win32ComponentLoader loader;
  return loader;
}

}  // namespace kelvo::platform
