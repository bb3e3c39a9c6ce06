// Loading this machine's package file lists, as a scan does when the index's cache file is missing
// or stale: time per load, and the paths and bytes the index keeps; and opening the cache file, as
// a scan does otherwise.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>

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

void BM_OpenPackageFilesCache(benchmark::State& state) {
  kelvo::platform::PackageDatabases databases = kelvo::platform::SystemPackageDatabases();
  const char* folder = std::getenv("TMPDIR");
  databases.cacheFolder = std::string(folder ? folder : "/tmp") + "/kelvo-package-files-bench";
  const std::string stamp = kelvo::platform::PackageDatabaseStamp(databases);
  if (kelvo::platform::SavePackageFilesCache(databases.cacheFolder, stamp,
                                             kelvo::platform::LoadPackageFiles(databases))) {
    state.SkipWithError("cannot write the cache file");
    return;
  }
  for (auto _ : state) {
    auto index = kelvo::platform::OpenPackageFilesCache(
        databases.cacheFolder, kelvo::platform::PackageDatabaseStamp(databases));
    if (!index) state.SkipWithError("the cache file was not trusted");
    benchmark::DoNotOptimize(index);
  }
}
BENCHMARK(BM_OpenPackageFilesCache)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
