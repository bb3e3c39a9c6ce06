#include "cleanup/deletion.h"

#include <optional>

#include "cleanup/removal_gate.h"
#include "platform/registry.h"
#include "scan/locations.h"

namespace kelvo::cleanup {

DeletionRequest RequestFor(const scan::JunkItem& item) {
  DeletionRequest r;
  r.path = item.fullPath;
  r.root = item.root;
  r.identity = item.identity;
  r.emptyFolder = item.emptyFolder;
  r.size = item.size;
  r.tidy = TidyFor(item.rule, r.root);
  if (item.rule == scan::kAuditRule) {
    // Audit rows name Windows paths; they are deleted where this system keeps that file, or, when
    // it cannot be found, refused as a path outside any root.
    r.root.clear();
    if (auto located = platform::LocateWindowsFile(item.fullPath)) {
      r.root = located->root;
      r.path = located->path;
    }
  }
  return r;
}

Tidy TidyFor(int rule, NativeStringView root) {
  const auto location = scan::LocationOfRule(rule);
  if (!location || root.empty()) return Tidy::kNone;
  const NativeString filesFolder =
      NativeString(1, platform::kSeparator) + AsciiToNative("files") + platform::kSeparator;
  return *location == scan::kTrash && root.ends_with(filesFolder) ? Tidy::kTrashItem
                                                                  : Tidy::kEmptyFolders;
}

std::vector<DeletionResult> DeleteItems(const std::vector<DeletionRequest>& rows,
                                        const DeletionProgress& progress,
                                        const DeletionOptions& options) {
  std::optional<FixedKeepList> keep;
  if (options.keep) keep.emplace(*options.keep);
  GateChoices choices;
  choices.toTrash = options.toTrash;
  choices.dryRun = options.dryRun;
  choices.keep = keep ? &*keep : nullptr;
  choices.packageFiles = options.packageFiles;
  RemovalGate gate(choices);
  std::vector<DeletionResult> results;
  results.reserve(rows.size());
  for (const DeletionRequest& row : rows) {
    results.push_back(gate.Pass(row));
    if (progress) progress(results.size(), rows.size());
  }
  return results;
}

}  // namespace kelvo::cleanup
