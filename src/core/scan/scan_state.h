// What the walk shares across threads: the start/stop flags and the settings fixed for a whole
// scan.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

namespace kelvo::platform {
class RemovalRights;
}

namespace kelvo::scan {

class KeepList;
class PackageFilter;

// Flags keep a 16-bit -1/0 convention: -1 set, 0 cleared.
inline constexpr std::int16_t kFlagTrue = -1;
inline constexpr std::int16_t kFlagFalse = 0;

struct ScanState {
  // Written only by the driver (both -1 at a start) and the stop path (both 0). The stop path may
  // run on another thread than the walk, hence atomics.
  std::atomic<std::int16_t> running{kFlagFalse};      // a folder is listed only while == -1
  std::atomic<std::int16_t> classifying{kFlagFalse};  // a folder is classified only while != 0

  // Threads reading folders ahead of the walk; 1 reads each folder on the walk's own thread when
  // it is reached; kReadersAsNeeded starts with one per core and adds more while reads wait on the
  // disk. The results and their order are the same either way.
  static constexpr unsigned kReadersAsNeeded = 0;
  unsigned folderReaders = 1;

  // When set, hits that an installed package owns are kept out of the results.
  PackageFilter* packageFiles = nullptr;
  // When set, kept folders are not entered and kept entries are not rows.
  const KeepList* keepList = nullptr;
  // When set, rows whose entry only an administrator could remove are marked (needsAdmin).
  platform::RemovalRights* removalRights = nullptr;
  // Files of application caches not offered because their names say they are settings.
  std::atomic<std::size_t> settingsInCaches{0};

  bool IsRunning() const { return running.load(std::memory_order_acquire) == kFlagTrue; }
  bool IsClassifying() const { return classifying.load(std::memory_order_acquire) != kFlagFalse; }

  void SetFlags(std::int16_t value) {
    running.store(value, std::memory_order_release);
    classifying.store(value, std::memory_order_release);
  }
};

}  // namespace kelvo::scan
