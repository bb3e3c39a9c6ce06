#include "scan/walker.h"

namespace kelvo::scan {

using platform::EntryType;

namespace {
// Descriptors kept open along the current path; deeper ancestors are reopened from the nearest open
// one when the walk comes back to them, so depth is limited by neither descriptors nor PATH_MAX.
constexpr std::size_t kOpenDepthWindow = 48;

bool IsDotName(NativeStringView name) { return !name.empty() && name[0] == NativeChar('.'); }
}  // namespace

void ScanFolder(ScanState& state, ScanControls& controls, platform::FileSystem& fs,
                NativeStringView root) {
  Walker(state, controls, fs).Walk(root);
}

Walker::Walker(ScanState& state, ScanControls& controls, platform::FileSystem& fs)
    : state_(state), controls_(controls), fs_(fs), classifier_(controls) {}

void Walker::ShowAndCount(NativeStringView path) {
  controls_.ShowFolder(path);
  controls_.SetScannedFolderCount(controls_.AddScannedFolder(path));
}

void Walker::Walk(NativeStringView root) {
  root_ = NativeString(root);
  stack_.clear();
  ShowAndCount(root_);
  if (!state_.IsRunning()) return;

  Frame top;
  top.path = root_;
  std::error_code ec;
  top.dir = fs_.OpenDirectory(root_, ec);
  if (!top.dir) {
    controls_.FolderUnreadable(root_, ec);
    return;
  }
  rootDevice_ = top.dir->Device();
  top.self = {NativeString(), top.dir->Device(), top.dir->Inode(), true};
  top.markers = markerCounter_.Count(root_);
  if (!ListAndClassify(top, /*isRoot=*/true) || top.children.empty()) return;
  stack_.push_back(std::move(top));

  while (!stack_.empty()) {
    const std::size_t parentIndex = stack_.size() - 1;
    if (stack_[parentIndex].next == stack_[parentIndex].children.size()) {
      stack_.pop_back();
      continue;
    }
    Frame child;
    child.self = stack_[parentIndex].children[stack_[parentIndex].next++];
    child.path = stack_[parentIndex].path;
    child.path += child.self.name;
    child.path += platform::kSeparator;
    ShowAndCount(child.path);
    if (!state_.IsRunning()) continue;

    child.dir = OpenPending(parentIndex, child.self, ec);
    if (!child.dir) {
      controls_.FolderUnreadable(child.path, ec);
      continue;
    }
    child.self.device = child.dir->Device();
    child.self.inode = child.dir->Inode();
    child.markers = markerCounter_.Extend(stack_[parentIndex].markers, child.path);
    if (!ListAndClassify(child, /*isRoot=*/false) || child.children.empty()) continue;
    stack_.push_back(std::move(child));
    LimitOpenDirectories();
  }
}

bool Walker::ListAndClassify(Frame& frame, bool isRoot) {
  if (std::error_code ec = frame.dir->List(listing_)) {
    controls_.FolderUnreadable(frame.path, ec);
    return false;
  }
  const auto& entries = listing_.entries();
  facts_.assign(entries.size(), EntryFacts{});
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const auto& e = entries[i];
    EntryFacts& facts = facts_[i];
    facts.type = e.type;
    facts.attributes = e.attributes;
    const NativeStringView name = listing_.Name(e);
    const bool dotName = IsDotName(name);
    // A directory needs its full attributes (read-only) and its device (mount points); an entry of
    // unknown type needs its type. Nothing else is examined before a rule asks for it.
    if (e.type == EntryType::kUnknown || (e.type == EntryType::kDirectory && !dotName)) {
      if (frame.dir->Stat(listing_.CName(e), facts.stat)) {
        facts.attributes = platform::attr::kQueryFailed;
      } else {
        facts.statKnown = true;
        facts.type = facts.stat.type;
        facts.attributes = facts.stat.attributes;
      }
    }
    if (facts.type != EntryType::kDirectory || dotName) continue;
    if (facts.statKnown && facts.stat.device != rootDevice_) continue;  // another file system
    PendingFolder child;
    child.name = NativeString(name);
    if (facts.statKnown) {
      child.device = facts.stat.device;
      child.inode = facts.stat.inode;
      child.identityKnown = true;
    }
    frame.children.push_back(std::move(child));
  }

  if (state_.IsClassifying()) {
    FolderToClassify folder;
    folder.path = frame.path;
    folder.root = root_;
    folder.isRoot = isRoot;
    folder.identity = EntryIdentity{frame.self.device, frame.self.inode, EntryType::kDirectory};
    folder.markers = &frame.markers;
    folder.directory = frame.dir.get();
    folder.listing = &listing_;
    folder.facts = &facts_;
    classifier_.ClassifyFolder(folder);
  }
  return true;
}

std::unique_ptr<platform::Directory> Walker::OpenPending(std::size_t parentIndex,
                                                         const PendingFolder& child,
                                                         std::error_code& ec) {
  if (!EnsureOpen(parentIndex, ec)) return nullptr;
  auto dir = stack_[parentIndex].dir->OpenChild(child.name.c_str(), ec);
  if (!dir) return nullptr;
  if (dir->Device() != rootDevice_ ||
      (child.identityKnown && (dir->Device() != child.device || dir->Inode() != child.inode))) {
    // Replaced between the listing and the open: not the folder that was listed.
    ec = std::make_error_code(std::errc::no_such_file_or_directory);
    return nullptr;
  }
  return dir;
}

bool Walker::EnsureOpen(std::size_t index, std::error_code& ec) {
  if (stack_[index].dir) return true;
  std::size_t open = index;
  while (!stack_[open].dir) --open;  // the root frame is never closed
  for (std::size_t i = open + 1; i <= index; ++i) {
    auto dir = stack_[i - 1].dir->OpenChild(stack_[i].self.name.c_str(), ec);
    if (!dir) return false;
    if (dir->Device() != stack_[i].self.device || dir->Inode() != stack_[i].self.inode) {
      ec = std::make_error_code(std::errc::no_such_file_or_directory);
      return false;
    }
    stack_[i].dir = std::move(dir);
    // Keep only a window of descriptors open along the way down.
    if (i - 1 > 0 && i - 1 + kOpenDepthWindow < index) stack_[i - 1].dir.reset();
  }
  return true;
}

void Walker::LimitOpenDirectories() {
  if (stack_.size() <= kOpenDepthWindow) return;
  const std::size_t closeIndex = stack_.size() - 1 - kOpenDepthWindow;
  if (closeIndex > 0) stack_[closeIndex].dir.reset();
}

}  // namespace kelvo::scan
