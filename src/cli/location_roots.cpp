#include "location_roots.h"

#include <cstdio>

#include "platform/file_system.h"
#include "platform/user_folders.h"
#include "row_writer.h"

namespace kelvo::cli {

scan::FoundLocations FindLocationsHere(const scan::LocationSet& wanted) {
  const auto user = platform::CurrentUserFolders();
  if (!user || wanted.none()) return {};
  scan::FoundLocations found =
      scan::FindLocations(wanted, *user, scan::TrashDiskTops(*user), platform::NativeFileSystem());
  for (const scan::LocationNote& note : found.skipped)
    std::fprintf(stderr, "kelvo-cli: %s: %s skipped: in use by a program that runs (lock %s)\n",
                 std::string(scan::kLocations[static_cast<std::size_t>(note.location)].key).c_str(),
                 EscapeForTerminal(NativeToUtf8(note.folder)).c_str(),
                 EscapeForTerminal(NativeToUtf8(note.lock)).c_str());
  for (const scan::LocationRefusal& refusal : found.refused)
    std::fprintf(
        stderr, "kelvo-cli: %s: %s not taken: %s\n",
        std::string(scan::kLocations[static_cast<std::size_t>(refusal.location)].key).c_str(),
        EscapeForTerminal(NativeToUtf8(refusal.folder)).c_str(), refusal.why.c_str());
  return found;
}

scan::ScanRequest RequestOf(const ResolvedScanOptions& resolved, bool audit) {
  scan::ScanRequest request = scan::DiskScan(resolved.roots, audit);
  request.age = scan::AgeLimit::StartingNow(resolved.olderThanDays);
  if (resolved.locations.any())
    scan::AddLocationRoots(request, FindLocationsHere(resolved.locations));
  return request;
}

}  // namespace kelvo::cli
