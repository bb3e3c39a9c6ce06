// The home folder and the XDG base folders, shared by the POSIX back end's folder services.
#pragma once

#include <string>

namespace kelvo::platform {

// $HOME, else the password database's entry, else "/".
std::string HomeFolder();

// An XDG base folder: the variable when it holds an absolute path (relative ones are to be
// ignored), else the default below the home folder. Without final slashes.
std::string XdgBaseFolder(const char* variable, const char* homeRelative);

}  // namespace kelvo::platform
