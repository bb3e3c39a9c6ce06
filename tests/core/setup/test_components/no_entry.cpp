// A library without registration entries.
#include "component_log.h"

extern "C" std::int32_t KelvoTestSomethingElse() {
  return 0;
}
