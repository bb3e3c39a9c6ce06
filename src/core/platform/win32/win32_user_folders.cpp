#include "platform/user_folders.h"

namespace kelvo::platform {

// Windows keeps its caches elsewhere; the common junk locations are those of Linux systems.
std::optional<UserFolders> CurrentUserFolders() {
  return std::nullopt;
}

std::optional<std::string> ReadLinkText(const NativeString&) {
  return std::nullopt;
}

std::string HostName() {
  return {};
}

bool ProcessRuns(long long) {
  return false;
}

}  // namespace kelvo::platform
