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

bool IsOwnAddress(std::string_view) {
  return false;
}

std::optional<EntryOwner> OwnerOf(const NativeString&) {
  return std::nullopt;
}

std::uint32_t EffectiveUserId() {
  return 0;
}

std::string ReadFileStart(const NativeString&, std::size_t) {
  return {};
}

std::vector<std::pair<std::uint64_t, std::uint64_t>> OpenFileIds() {
  return {};
}

}  // namespace kelvo::platform
