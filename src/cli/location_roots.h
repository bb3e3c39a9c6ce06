// The common junk locations asked for on the command line, found on this machine.
#pragma once

#include <vector>

#include "scan/location_finder.h"
#include "scan/scan_request.h"

namespace kelvo::cli {

// The folders of the wanted locations (none where the system has no such locations). A folder
// skipped because a program that runs uses it is said on stderr.
scan::FoundLocations FindLocationsHere(const scan::LocationSet& wanted);

// One scan root per folder, in the locations' order.
std::vector<scan::ScanRoot> LocationRoots(const scan::FoundLocations& found);

// Adds the wanted locations' roots after the request's folders, before its audit.
void AddLocationRoots(scan::ScanRequest& request, const scan::LocationSet& wanted);

}  // namespace kelvo::cli
