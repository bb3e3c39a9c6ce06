// What the location finder asks of the running system besides the folders themselves: whether a
// program that runs holds a folder, and who owns a folder. A seam of its own, so that the finder
// can be tried on a fake home with programs that run or do not, and owners of every kind.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/native_string.h"
#include "platform/process_probe.h"
#include "scan/browser_lock.h"
#include "scan/locations.h"

namespace kelvo::scan {

class LocationProbes {
 public:
  virtual ~LocationProbes() = default;
  // A profile lock of a browser or Chromium-engine application (see LockHeld).
  virtual bool LockHeld(const NativeString& lock, LockStyle style) = 0;
  // A lock file a process holds a record lock on (apt's).
  virtual bool FileLockHeld(const NativeString& path) = 0;
  // A lock whose mere presence tells a program runs (pacman's).
  virtual bool EntryExists(const NativeString& path) = 0;
  virtual std::optional<platform::EntryOwner> OwnerOf(const NativeString& path) = 0;
  virtual std::uint32_t EffectiveUser() = 0;
  // The start of a regular file (a CACHEDIR.TAG's signature).
  virtual std::string FileStart(const NativeString& path, std::size_t bytes) = 0;
  // The files that programs hold open now, by device and inode.
  virtual std::shared_ptr<const OpenFiles> FilesOpenNow() = 0;
};

// The probes of this machine.
LocationProbes& SystemProbes();

}  // namespace kelvo::scan
