// Shared by the test components: each appends "<event> <its own file>" to the file named by
// KELVO_TEST_COMPONENT_LOG, so a test sees which copy ran what, in which order, and when a copy
// was unloaded.
#pragma once

#include <dlfcn.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace kelvo_test_component {

inline void Log(const char* event) {
  const char* log = std::getenv("KELVO_TEST_COMPONENT_LOG");
  if (!log) return;
  Dl_info info{};
  const char* self = "?";
  if (::dladdr(reinterpret_cast<void*>(&Log), &info) != 0 && info.dli_fname) self = info.dli_fname;
  if (std::FILE* f = std::fopen(log, "a")) {
    std::fprintf(f, "%s %s\n", event, self);
    std::fclose(f);
  }
}

}  // namespace kelvo_test_component

__attribute__((destructor)) static void LogUnload() {
  kelvo_test_component::Log("unloaded");
}
