// Start-up component setup on a machine without component files: four failed copies and four
// failed presence tests, which must cost next to nothing.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <string>

#include "setup/component_setup.h"

namespace {

void BM_InstallComponentsWithoutFiles(benchmark::State& state) {
  char folder[] = "/tmp/kelvo-bench-XXXXXX";
  if (::mkdtemp(folder) == nullptr) {
    state.SkipWithError("mkdtemp failed");
    return;
  }
  kelvo::setup::SetupPaths paths{std::string(folder) + "/program",
                                 std::string(folder) + "/system/"};
  for (auto _ : state) kelvo::setup::InstallComponents(paths);
  ::rmdir(folder);
}
BENCHMARK(BM_InstallComponentsWithoutFiles)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
