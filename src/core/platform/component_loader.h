// What component setup needs of the platform: copying a file, testing that a component file is
// there, loading a library, finding an exported entry, and running that entry on a thread of its
// own with a time limit.
#pragma once

#include <chrono>
#include <optional>
#include <string>

#include "platform/native_string.h"

namespace kelvo::platform {

using LibraryHandle = void*;
using EntryAddress = void*;

enum class EntryRun {
  kEnded,         // the entry returned within the limit
  kNotStarted,    // no thread could be started; the entry never ran
  kStillRunning,  // the limit passed (or the wait failed): the entry may still be running
};

class ComponentLoader {
 public:
  virtual ~ComponentLoader() = default;

  // Copies from to to, replacing an existing file. A missing source fails at once.
  virtual bool Copy(const NativeString& from, const NativeString& to) = 0;
  // Whether path names a file that is not a folder and, where the platform has such attributes,
  // neither hidden nor a system file.
  virtual bool IsPresent(const NativeString& path) = 0;
  // A loaded library, or nullptr.
  virtual LibraryHandle Load(const NativeString& path) = 0;
  // The exported entry of that exact name, or nullptr.
  virtual EntryAddress FindEntry(LibraryHandle library, const char* name) = 0;
  virtual void Unload(LibraryHandle library) = 0;
  // Calls entry (a function without arguments returning a 32-bit result) on a new thread and waits
  // for it at most limit. A thread still running afterwards is left to run on its own; the library
  // holding its code must then stay loaded for the rest of the process.
  virtual EntryRun RunEntry(EntryAddress entry, std::chrono::milliseconds limit) = 0;

  // Why the component at copy must not be loaded, or nothing when it may. source is the program
  // folder's file that copy was made from. Windows keeps its system directory to administrators
  // and registers what it holds. POSIX loads only a file that is, byte for byte, its source and
  // that nobody but root or the effective user can have put there: the file and every folder
  // above it owned by one of them and not writable by group or others (a root-owned sticky folder
  // such as /tmp excepted: there only an entry's owner may replace it).
  virtual std::optional<std::string> Untrusted(const NativeString& /*copy*/,
                                               const NativeString& /*source*/) {
    return std::nullopt;
  }
};

// The operating system's loader.
ComponentLoader& NativeComponentLoader();

}  // namespace kelvo::platform
