// A component whose registration does not return until KelvoTestRelease is called (or half a
// minute has passed, so a broken test cannot hang the suite).
#include <unistd.h>

#include <atomic>

#include "component_log.h"

namespace {
std::atomic<bool> g_released{false};
}

extern "C" std::int32_t DllRegisterServer() {
  kelvo_test_component::Log("register");
  for (int i = 0; i < 3000 && !g_released.load(); ++i) ::usleep(10000);
  kelvo_test_component::Log("returned");
  return 0;
}

extern "C" void KelvoTestRelease() {
  g_released.store(true);
}
