#include "platform/user_folders.h"

namespace kelvo::platform {

// Windows keeps its caches elsewhere; the common junk locations are those of Linux systems.
std::optional<UserFolders> CurrentUserFolders() {
  return std::nullopt;
}

}  // namespace kelvo::platform
