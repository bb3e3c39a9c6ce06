// Where the user's caches, settings and data live, and the top of the system's folders: the bases
// the common junk locations are found from.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/native_string.h"

namespace kelvo::platform {

// Every folder is absolute and has no final separator (the system root "/" is given as "").
struct UserFolders {
  NativeString home;
  NativeString cacheHome;   // $XDG_CACHE_HOME, by default ~/.cache
  NativeString configHome;  // $XDG_CONFIG_HOME, by default ~/.config
  NativeString dataHome;    // $XDG_DATA_HOME, by default ~/.local/share
  NativeString downloads;   // XDG_DOWNLOAD_DIR of $XDG_CONFIG_HOME/user-dirs.dirs, or ~/Downloads
  // Put before the system's folders (/var/log, ...): empty on a real system; $KELVO_SYSTEM_ROOT
  // when set, so that tests and demonstrations can stand a fake tree in for them.
  NativeString systemRoot;
  std::string userId;  // the effective user id in decimal, as in a disk's .Trash-UID folder
  // Where the user keeps his own files (~/Documents, ~/Desktop, ~/Pictures... by default and as
  // user-dirs.dirs names them): no marker file makes a cache of them. Never the home itself.
  std::vector<NativeString> documentFolders;
};

// Empty where the system keeps its junk elsewhere (Windows): the locations are not offered there.
std::optional<UserFolders> CurrentUserFolders();

}  // namespace kelvo::platform
