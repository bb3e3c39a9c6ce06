// A component whose registration reports a failure (E_FAIL).
#include "component_log.h"

extern "C" std::int32_t DllRegisterServer() {
  kelvo_test_component::Log("register");
  return static_cast<std::int32_t>(0x80004005u);
}
