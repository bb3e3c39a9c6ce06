#include "cleanup/location_tidy.h"

#include <tuple>

#include "platform/entry_removal.h"
#include "scan/keep_list.h"

namespace kelvo::cleanup {
namespace {

constexpr NativeChar kSep = platform::kSeparator;

bool RemoveEmptyFolder(const NativeString& folder, const NativeString& root,
                       platform::EntryRemover& remover, const TidyGuards& guards) {
  if (guards.keep && guards.keep->Covers(folder)) return false;
  platform::RemovalTarget target;
  target.path = folder;
  target.root = root;
  target.emptyFolder = true;
  target.guard = guards.guard;
  target.followRootLinks = guards.followRootLinks;
  return remover.Remove(target).status == platform::RemovalStatus::kRemoved;
}

// The trash that holds a "files" folder: root without its last component "files".
NativeString TrashOf(const NativeString& filesFolder) {
  const NativeString tail = NativeString(1, kSep) + AsciiToNative("files") + kSep;
  if (!filesFolder.ends_with(tail)) return {};
  return filesFolder.substr(0, filesFolder.size() - tail.size() + 1);
}

}  // namespace

void TidyAfterDeletion(const DeletionRequest& row, platform::EntryRemover& remover,
                       const TidyGuards& guards) {
  if (row.tidy == Tidy::kNone) return;
  const NativeString& root = row.root;
  if (root.empty() || root.back() != kSep || row.path.size() <= root.size() ||
      row.path.compare(0, root.size(), root) != 0)
    return;
  const NativeStringView below = NativeStringView(row.path).substr(root.size());
  bool itemGone = below.find(kSep) == NativeStringView::npos;
  for (std::size_t end = below.size(); end > 0;) {
    const std::size_t cut = below.rfind(kSep, end - 1);
    if (cut == NativeStringView::npos || cut == 0) break;
    if (!RemoveEmptyFolder(root + NativeString(below.substr(0, cut)), root, remover, guards)) break;
    itemGone = below.find(kSep) == cut;
    end = cut;
  }
  if (row.tidy != Tidy::kTrashItem || !itemGone) return;
  const NativeString trash = TrashOf(root);
  if (trash.empty()) return;
  const NativeStringView item = below.substr(0, below.find(kSep));
  const NativeString info =
      trash + AsciiToNative("info") + kSep + NativeString(item) + AsciiToNative(".trashinfo");
  platform::RemovalTarget target;
  target.path = info;
  target.root = trash;
  target.followRootLinks = guards.followRootLinks;
  // Gone already or never there: either way nothing more to do.
  std::ignore = remover.Remove(target);
}

}  // namespace kelvo::cleanup
