// The common junk locations asked for on the command line, found on this machine.
#pragma once

#include <vector>

#include "scan/location_finder.h"
#include "scan/scan_request.h"
#include "scan_options.h"

namespace kelvo::cli {

// The folders of the wanted locations (none where the system has no such locations). A folder
// skipped because a program that runs uses it is said on stderr.
scan::FoundLocations FindLocationsHere(const scan::LocationSet& wanted);

// What the scan options ask for: the ROOT folders (or disks), then the locations' folders, then
// the audit when asked for, with the options' age.
scan::ScanRequest RequestOf(const ResolvedScanOptions& resolved, bool audit);

}  // namespace kelvo::cli
