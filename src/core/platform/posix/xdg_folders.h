// The home folder and the XDG base folders, shared by the POSIX back end's folder services.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kelvo::platform {

// $HOME, else the password database's entry, else "/".
std::string HomeFolder();

// An XDG base folder: the variable when it holds an absolute path (relative ones are to be
// ignored), else the default below the home folder. Without final slashes.
std::string XdgBaseFolder(const char* variable, const char* homeRelative);

// XDG_DOWNLOAD_DIR as user-dirs.dirs sets it (text: the file's contents): "$HOME/..." or an
// absolute path, in double quotes. Empty when it is not set there, or set to the home itself
// (which xdg-user-dirs uses to turn a folder off).
std::string DownloadFolderOf(std::string_view text, const std::string& home);

// The user's own folders (desktop, documents, downloads, music, pictures, videos, public share,
// templates): each default below the home and, when user-dirs.dirs (text) sets it elsewhere, that
// folder too; never the home itself.
std::vector<std::string> DocumentFoldersOf(std::string_view text, const std::string& home);

}  // namespace kelvo::platform
