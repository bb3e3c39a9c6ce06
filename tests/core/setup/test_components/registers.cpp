// A component whose entries succeed.
#include "component_log.h"

extern "C" std::int32_t DllRegisterServer() {
  kelvo_test_component::Log("register");
  return 0;
}

extern "C" std::int32_t DllUnregisterServer() {
  kelvo_test_component::Log("unregister");
  return 0;
}
