#include "location_roots.h"

#include <cstdio>
#include <iterator>

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
  return found;
}

std::vector<scan::ScanRoot> LocationRoots(const scan::FoundLocations& found) {
  std::vector<scan::ScanRoot> roots;
  for (const scan::LocationFolder& folder : found.folders) {
    scan::ScanRoot root;
    root.kind = scan::RootKind::kLocation;
    root.path = folder.path;
    root.location = folder;
    roots.push_back(std::move(root));
  }
  return roots;
}

scan::ScanRequest RequestOf(const ResolvedScanOptions& resolved, bool audit) {
  scan::ScanRequest request = scan::DiskScan(resolved.roots, audit);
  request.age = scan::AgeLimit::StartingNow(resolved.olderThanDays);
  if (resolved.locations.none()) return request;
  std::vector<scan::ScanRoot> roots = LocationRoots(FindLocationsHere(resolved.locations));
  auto at = request.roots.begin();
  while (at != request.roots.end() && at->kind != scan::RootKind::kAudit) ++at;
  request.roots.insert(at, std::make_move_iterator(roots.begin()),
                       std::make_move_iterator(roots.end()));
  return request;
}

}  // namespace kelvo::cli
