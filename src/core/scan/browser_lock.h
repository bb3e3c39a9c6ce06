// Whether a browser is running with a profile: its lock is a symbolic link whose text names the
// host and process holding the profile. A cache in use is never offered.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/native_string.h"

namespace kelvo::scan {

enum class LockStyle {
  kFirefox,   // profile/lock -> "ADDRESS:+PID"
  kChromium,  // SingletonLock -> "HOST-PID" (Chrome, Chromium, Brave, Edge, Vivaldi)
};

struct LockOwner {
  std::string host;  // a host name (Chromium) or an IP address (Firefox)
  long long pid = 0;
};

std::optional<LockOwner> ParseLockText(std::string_view text, LockStyle style);

// True when the lock is there and its process may still run: the process is alive on this
// machine, or the lock names another host, is no link (a plain file) or cannot be read as a lock
// (then nobody can tell, and the cache is left alone). A stale lock (its process gone) holds
// nothing.
bool LockHeld(const NativeString& lockPath, LockStyle style);

}  // namespace kelvo::scan
