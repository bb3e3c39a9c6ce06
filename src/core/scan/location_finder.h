// Finding the folders of the common junk locations on this machine: the XDG base folders, the home
// folder, each flatpak application's folders, the top of every disk and the system's folders.
// Absent folders are left out without a word; a folder in use (a running browser's cache, a package
// cache while the package manager runs) is left out with a note.
#pragma once

#include <bitset>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "platform/user_folders.h"
#include "scan/location_probes.h"
#include "scan/locations.h"
#include "scan/scan_request.h"

namespace kelvo::scan {

using LocationSet = std::bitset<kLocationCount>;  // bit i: location i

// A folder left out because a program that runs uses it.
struct LocationNote {
  int location = 0;
  NativeString folder;
  NativeString lock;  // the lock that shows the program running
};

// A folder that would be a location but is not taken, and why (English, for a message).
struct LocationRefusal {
  int location = 0;
  NativeString folder;
  std::string why;
};

struct FoundLocations {
  std::vector<LocationFolder> folders;  // in the locations' order, each folder once
  std::vector<LocationNote> skipped;
  std::vector<LocationRefusal> refused;
};

// The base folders (user.*) are taken as the user set them, symbolic links included; below them
// no link is followed: a link where a location's folder would be is no location. A trash is taken
// only when it belongs to the effective user; an application cache only below a home that exists,
// in a cache folder inside it or owned by the user.
FoundLocations FindLocations(const LocationSet& wanted, const platform::UserFolders& user,
                             const std::vector<NativeString>& diskTops, platform::FileSystem& fs,
                             LocationProbes& probes = SystemProbes());

// Adds one location root per folder found, after the request's folders and before its audit.
void AddLocationRoots(ScanRequest& request, const FoundLocations& found);

// The tops of the disks whose .Trash-UID folders belong to the trash: the listed fixed disks, or
// the system root alone when one is set in its place.
std::vector<NativeString> TrashDiskTops(const platform::UserFolders& user);

}  // namespace kelvo::scan
