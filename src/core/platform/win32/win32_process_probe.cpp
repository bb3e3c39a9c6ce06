#include "platform/process_probe.h"

namespace kelvo::platform {

// Only the junk locations of Linux systems ask; Windows has none of these locks.
std::optional<std::string> ReadLinkText(const NativeString&) {
  return std::nullopt;
}

std::string HostName() {
  return {};
}

bool ProcessRuns(long long) {
  return false;
}

bool FileLockHeld(const NativeString&) {
  return false;
}

bool EntryExists(const NativeString&) {
  return false;
}

}  // namespace kelvo::platform
