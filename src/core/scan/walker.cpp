#include "scan/walker.h"

#include <algorithm>
#include <optional>
#include <thread>

#include "scan/keep_list.h"

namespace kelvo::scan {

namespace {
// Descriptors kept open along the current path; deeper ancestors are reopened from the nearest open
// one when the walk comes back to them, so depth is limited by neither descriptors nor PATH_MAX.
constexpr std::size_t kOpenDepthWindow = 48;
// Readers, the walk's own thread included, when their number follows the disk: one per core while
// reads are quick, up to this many while they wait on the disk.
constexpr unsigned kMostReadersAsNeeded = 32;

// The pool's size besides the walk's own thread, or nothing when the walk reads alone.
std::optional<ReadAheadThreads> PoolSize(unsigned readers) {
  if (readers == ScanState::kReadersAsNeeded) {
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    return ReadAheadThreads{std::max(cores, 2u) - 1, kMostReadersAsNeeded - 1};
  }
  if (readers <= 1) return std::nullopt;
  return ReadAheadThreads{readers - 1, readers - 1};
}
}  // namespace

Walker::Walker(ScanState& state, RuleSource& rules, ScanSink& sink, platform::FileSystem& fs)
    : state_(state),
      sink_(sink),
      fs_(fs),
      classifier_(rules, sink, state.packageFiles, state.keepList) {
  classifier_.CountSettingsIn(&state.settingsInCaches);
}

Walker::~Walker() = default;

void Walker::Walk(const ScanRoot& root, const AgeLimit& age, bool reachedByDisk) {
  switch (root.kind) {
    case RootKind::kDisk:
    case RootKind::kLocation:  // without its description, a folder like a disk
      WalkTree(root.path, root.location ? &*root.location : nullptr, age,
               reachedByDisk && root.location);
      return;
    case RootKind::kAudit:
      return;
  }
}

void Walker::DropKept(std::vector<SubFolder>& children) {
  if (!state_.keepList) return;
  if (!location_ || !location_->trashFiles) {
    DropKeptFolders(*state_.keepList, path_, children);
    return;
  }
  std::vector<SubFolder> before = children;
  DropKeptFolders(*state_.keepList, path_, children);
  for (const SubFolder& folder : before)
    if (std::none_of(children.begin(), children.end(),
                     [&](const SubFolder& kept) { return kept.name == folder.name; }))
      classifier_.NoteLeftOut(path_ + folder.name);
}

void Walker::WalkTree(NativeStringView root, const LocationFolder* location, const AgeLimit& age,
                      bool reachedByDisk) {
  stack_.clear();
  location_ = location;
  classifier_.SetRoot(location, age);
  // Matching and deleting go by the path on disk, never by the text typed: "temp/../docs" holds
  // no temp folder, and a link named temp is not one either.
  if (std::error_code ec = fs_.ResolveRoot(root, root_)) {
    sink_.FolderUnreadable(root, ec);
    return;
  }
  // A location's folder was found without passing a link; one that leads through a link now was
  // replaced since, and whatever it leads to is no such location.
  if (location_ && root_ != root) {
    sink_.FolderUnreadable(root, std::make_error_code(std::errc::too_many_symbolic_link_levels));
    return;
  }
  if (state_.keepList && state_.keepList->Covers(root_)) {
    state_.keepList->CountHeldBack();  // a root on the keep-list is not walked at all
    return;
  }
  path_ = root_;
  if (!reachedByDisk || !state_.IsRunning()) sink_.FolderReached(root_);
  if (!state_.IsRunning()) return;

  Frame top;
  top.reachedBefore = reachedByDisk;
  top.pathLength = path_.size();
  std::error_code ec;
  std::unique_ptr<platform::Directory> rootDir = fs_.OpenDirectory(root_, ec);
  if (!rootDir) {
    sink_.FolderUnreadable(root_, ec);
    return;
  }
  contents_.Clear();
  contents_.dir = std::move(rootDir);
  rootMount_ = {contents_.dir->Device(), contents_.dir->MountId()};
  top.self = {NativeString(), contents_.dir->Device(), contents_.dir->Inode(), true};
  top.markers = markerCounter_.Count(root_);
  if (std::error_code listError = ReadFolder(contents_, location_ != nullptr)) {
    sink_.FolderUnreadable(root_, listError);
    contents_.Clear();
    return;
  }
  DropKept(contents_.children);
  ClassifyAndKeep(top, /*isRoot=*/true);
  if (location_ && !location_->recursive) top.children.clear();
  if (top.children.empty()) return;
  // A location reads its folders itself: the folders it skips must not be read ahead.
  if (const auto pool = location_ ? std::nullopt : PoolSize(state_.folderReaders)) {
    // The walk's own thread reads too while it would otherwise wait, so the pool has one less.
    readAhead_ = std::make_unique<ReadAhead>(*pool, rootMount_, classifier_.LastRules());
    readAhead_->SetKeepList(state_.keepList);
    top.aheadChildren = readAhead_->Begin(top.dir, top.children, top.markers, root_);
  }
  stack_.push_back(std::move(top));

  while (!stack_.empty()) {
    const std::size_t parentIndex = stack_.size() - 1;
    Frame& parent = stack_[parentIndex];
    if (parent.next == parent.children.size()) {
      stack_.pop_back();
      continue;
    }
    const std::size_t index = parent.next++;
    Frame child;
    child.self = parent.children[index];
    path_.resize(parent.pathLength);
    path_ += child.self.name;
    path_ += platform::kSeparator;
    child.pathLength = path_.size();
    if (location_ &&
        std::find(location_->skip.begin(), location_->skip.end(), path_) != location_->skip.end())
      continue;  // another location's folder
    child.reachedBefore = parent.reachedBefore && child.self.name[0] != '.';
    const bool listed = OpenChild(parentIndex, index, child);
    // A folder on another file system or mount is a boundary: neither shown nor entered.
    if (contents_.elsewhere) {
      classifier_.NoteLeftOut(path_);
      continue;
    }
    if (!child.reachedBefore) sink_.FolderReached(path_);
    if (!state_.IsRunning()) {
      // Stopped: whatever was read ahead is dropped unseen.
      StopReadingAhead();
      continue;
    }
    if (!listed && !contents_.error) {
      contents_.error = ReadFolder(contents_, location_ != nullptr);
      // Read ahead, the pool has dropped them already.
      if (!contents_.error) DropKept(contents_.children);
    }
    if (contents_.error) {
      classifier_.NoteLeftOut(path_);
      sink_.FolderUnreadable(path_, contents_.error);
      child.aheadChildren.clear();
      continue;
    }
    child.self.device = contents_.dir->Device();
    child.self.inode = contents_.dir->Inode();
    child.self.identityKnown = true;
    child.markers = markerCounter_.Extend(stack_[parentIndex].markers, path_);
    ClassifyAndKeep(child, /*isRoot=*/false);
    if (child.children.empty()) continue;
    stack_.push_back(std::move(child));
    LimitOpenDirectories();
  }
  StopReadingAhead();
}

bool Walker::OpenChild(std::size_t parentIndex, std::size_t index, Frame& child) {
  Frame& parent = stack_[parentIndex];
  if (readAhead_ && !state_.IsRunning()) StopReadingAhead();
  if (readAhead_ && index < parent.aheadChildren.size()) {
    readAhead_->Take(parent.aheadChildren[index], contents_, child.aheadChildren);
    parent.aheadChildren[index].reset();
    return !contents_.elsewhere && !contents_.error;
  }
  contents_.Clear();
  if (EnsureOpen(parentIndex, contents_.error))
    OpenSubFolder(*stack_[parentIndex].dir, child.self, rootMount_, contents_);
  return false;
}

void Walker::ClassifyAndKeep(Frame& frame, bool isRoot) {
  if (state_.IsClassifying()) {
    FolderToClassify folder;
    folder.path = path_;
    folder.root = root_;
    folder.isRoot = isRoot;
    folder.locationRowsOnly = frame.reachedBefore;
    folder.identity = {};
    folder.identity.device = frame.self.device;
    folder.identity.inode = frame.self.inode;
    folder.identity.type = platform::EntryType::kDirectory;
    folder.markers = &frame.markers;
    folder.directory = contents_.dir.get();
    folder.listing = &contents_.listing;
    folder.facts = &contents_.facts;
    classifier_.ClassifyFolder(folder);
    if (readAhead_) readAhead_->SetRules(classifier_.LastRules());
  }
  frame.dir = std::move(contents_.dir);
  frame.children.swap(contents_.children);
  contents_.children.clear();
}

void Walker::StopReadingAhead() {
  if (!readAhead_) return;
  readAhead_.reset();
  for (Frame& f : stack_) f.aheadChildren.clear();
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
