// The test components as Windows DLLs, one source built four times (KELVO_COMPONENT_KIND):
//   1 registers: both entries succeed      2 fails: registration reports E_FAIL
//   3 hangs: registration waits until KelvoTestRelease is called (or half a minute has passed)
//   4 no_entry: no registration entries at all
// Each appends "<event> <its own file>" to the file named by KELVO_TEST_COMPONENT_LOG, so a test
// sees which copy ran what, in which order, and when a copy was unloaded.
#include <windows.h>

#include <cstdint>
#include <cstdio>

namespace {

void Log(const char* event) {
  wchar_t log[MAX_PATH];
  if (::GetEnvironmentVariableW(L"KELVO_TEST_COMPONENT_LOG", log, MAX_PATH) == 0) return;
  HMODULE self = nullptr;
  ::GetModuleHandleExW(
      GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
      reinterpret_cast<LPCWSTR>(&Log), &self);
  wchar_t file[MAX_PATH] = L"?";
  ::GetModuleFileNameW(self, file, MAX_PATH);
  char utf8[4 * MAX_PATH];
  ::WideCharToMultiByte(CP_UTF8, 0, file, -1, utf8, sizeof utf8, nullptr, nullptr);
  if (std::FILE* f = ::_wfopen(log, L"ab")) {
    std::fprintf(f, "%s %s\n", event, utf8);
    std::fclose(f);
  }
}

[[maybe_unused]] volatile LONG g_released = 0;

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_DETACH) Log("unloaded");
  return TRUE;
}

#if KELVO_COMPONENT_KIND == 1
extern "C" __declspec(dllexport) std::int32_t DllRegisterServer() {
  Log("register");
  return 0;
}
extern "C" __declspec(dllexport) std::int32_t DllUnregisterServer() {
  Log("unregister");
  return 0;
}
#elif KELVO_COMPONENT_KIND == 2
extern "C" __declspec(dllexport) std::int32_t DllRegisterServer() {
  Log("register");
  return static_cast<std::int32_t>(0x80004005u);
}
#elif KELVO_COMPONENT_KIND == 3
extern "C" __declspec(dllexport) std::int32_t DllRegisterServer() {
  Log("register");
  for (int i = 0; i < 3000 && g_released == 0; ++i) ::Sleep(10);
  Log("returned");
  return 0;
}
extern "C" __declspec(dllexport) void KelvoTestRelease() {
  ::InterlockedExchange(&g_released, 1);
}
#else
extern "C" __declspec(dllexport) std::int32_t KelvoTestSomethingElse() {
  return 0;
}
#endif
