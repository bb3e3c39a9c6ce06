// Loading this machine's package file lists, as every scan does unless package files are
// included: time per load, and the paths and bytes the index keeps.
#include <benchmark/benchmark.h>

#include "platform/package_files.h"

namespace {

void BM_LoadPackageFiles(benchmark::State& state) {
  const kelvo::platform::PackageDatabases databases = kelvo::platform::SystemPackageDatabases();
  std::size_t paths = 0, bytes = 0;
  for (auto _ : state) {
    kelvo::platform::PackageFileIndex index = kelvo::platform::LoadPackageFiles(databases);
    paths = index.size();
    bytes = index.MemoryBytes();
  }
  state.counters["paths"] = static_cast<double>(paths);
  state.counters["index_MiB"] = static_cast<double>(bytes) / (1024.0 * 1024.0);
}
BENCHMARK(BM_LoadPackageFiles)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
