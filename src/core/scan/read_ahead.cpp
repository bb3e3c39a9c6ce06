#include "scan/read_ahead.h"

#include <algorithm>
#include <chrono>
#include <system_error>
#include <utility>

namespace kelvo::scan {

class ReadAhead::Folder {
 public:
  enum class State { kQueued, kReading, kRead, kTaken };

  std::vector<std::uint32_t> key;  // position in the walk: indices from the root down
  SubFolder self;
  NativeString path;  // ending with the separator; only while a keep-list needs it
  MarkerCounts markers{};
  std::shared_ptr<platform::Directory> parent;  // until opened
  State state = State::kQueued;
  FolderContents contents;
  std::vector<FolderRef> subFolders;
  std::size_t cost = 0;  // entries held while waiting to be taken
};

bool ReadAhead::Later::operator()(const FolderRef& a, const FolderRef& b) const {
  // The walk is a pre-order: a lexicographically smaller key is needed sooner.
  return std::lexicographical_compare(b->key.begin(), b->key.end(), a->key.begin(), a->key.end());
}

ReadAhead::ReadAhead(unsigned threads, const RootMount& root, const RuleSwitches& rules,
                     Limits limits)
    : ReadAhead(ReadAheadThreads{threads, threads}, root, rules, limits) {}

ReadAhead::ReadAhead(ReadAheadThreads threads, const RootMount& root, const RuleSwitches& rules,
                     Limits limits, bool dotFolders)
    : root_(root),
      limits_(limits),
      dotFolders_(dotFolders),
      rules_(rules.to_ullong()),
      threads_{std::max(threads.least, 1u), std::max({threads.most, threads.least, 1u})},
      sizer_(threads_, ReadAheadSizer::Clock::now()) {
  std::lock_guard lock(mutex_);
  pool_.reserve(threads_.most);
  while (allowed_ < threads_.least && AddReader()) {
  }
}

ReadAhead::~ReadAhead() {
  std::vector<std::thread> pool;
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
    pool.swap(pool_);
  }
  workWanted_.notify_all();
  readerAllowed_.notify_all();
  for (std::thread& t : pool) t.join();
}

unsigned ReadAhead::Readers() const {
  std::lock_guard lock(mutex_);
  return allowed_;
}

unsigned ReadAhead::PeakReaders() const {
  std::lock_guard lock(mutex_);
  return peak_;
}

bool ReadAhead::AddReader() {
  if (allowed_ == pool_.size()) {
    const unsigned index = allowed_;
    try {
      pool_.emplace_back([this, index] { Work(index); });
    } catch (const std::system_error&) {
      return false;  // no more threads to be had: read with those there are
    }
  }
  ++allowed_;
  readerAllowed_.notify_all();
  peak_ = std::max(peak_, allowed_);
  return true;
}

void ReadAhead::CountRead(bool slow, std::size_t cost) {
  readsBlock_ = slow;
  const unsigned target =
      sizer_.Count(slow, cost - 1, ReadAheadSizer::Clock::now(), allowed_, HasWork() && !stopping_);
  if (target < allowed_) {
    allowed_ = target;
    // The readers past the new size are told to go back to sleep apart.
    workWanted_.notify_all();
  } else if (target > allowed_) {
    while (allowed_ < target && AddReader()) {
    }
  }
}

bool ReadAhead::HasWork() const {
  return !queue_.empty() && HasRoom();
}

void ReadAhead::OfferWork(std::size_t folders) {
  // One reader woken per folder to read, and only readers that are idle: waking them all at every
  // read would have them fight for the lock and the cores the busy ones need.
  for (std::size_t i = 0; i < std::min<std::size_t>(folders, idle_); ++i) workWanted_.notify_one();
}

void ReadAhead::SetRules(const RuleSwitches& rules) {
  rules_.store(rules.to_ullong(), std::memory_order_relaxed);
}

std::vector<ReadAhead::FolderRef> ReadAhead::MakeFolders(
    const std::shared_ptr<platform::Directory>& dir, const std::vector<SubFolder>& children,
    const MarkerCounts& markers, const std::vector<std::uint32_t>& parentKey,
    NativeStringView parentPath) const {
  std::vector<FolderRef> folders;
  folders.reserve(children.size());
  for (std::size_t i = 0; i < children.size(); ++i) {
    auto f = std::make_shared<Folder>();
    f->key.reserve(parentKey.size() + 1);
    f->key = parentKey;
    f->key.push_back(static_cast<std::uint32_t>(i));
    f->self = children[i];
    if (keep_) {
      f->path.reserve(parentPath.size() + children[i].name.size() + 1);
      f->path.assign(parentPath);
      f->path += children[i].name;
      f->path += platform::kSeparator;
    }
    f->markers = markerCounter_.ExtendByName(markers, children[i].name);
    f->parent = dir;
    folders.push_back(std::move(f));
  }
  return folders;
}

std::vector<ReadAhead::FolderRef> ReadAhead::Begin(const std::shared_ptr<platform::Directory>& dir,
                                                   const std::vector<SubFolder>& children,
                                                   const MarkerCounts& markers,
                                                   NativeStringView path) {
  std::vector<FolderRef> folders = MakeFolders(dir, children, markers, {}, path);
  {
    std::lock_guard lock(mutex_);
    for (const FolderRef& f : folders) queue_.push(f);
    OfferWork(folders.size());
  }
  return folders;
}

// Runs without the lock: the folder belongs to whoever set it to kReading.
bool ReadAhead::Read(Folder& folder) const {
  const auto start = ReadAheadSizer::Clock::now();
  FolderContents& contents = folder.contents;
  OpenSubFolder(*folder.parent, folder.self, root_, contents);
  folder.parent.reset();
  folder.cost = 1;
  if (contents.dir) {
    if (std::error_code listError = ReadFolder(contents, dotFolders_)) {
      contents.error = listError;
    } else {
      ExamineLikelyHits(RuleSwitches(rules_.load(std::memory_order_relaxed)), folder.markers,
                        contents);
      folder.cost += contents.listing.size();
      if (keep_) DropKeptFolders(*keep_, folder.path, contents.children);
      folder.subFolders =
          MakeFolders(contents.dir, contents.children, folder.markers, folder.key, folder.path);
    }
  }
  return ReadAheadSizer::ReadTookLong(ReadAheadSizer::Clock::now() - start, folder.cost - 1);
}

bool ReadAhead::HasRoom() const {
  return readFolders_ < limits_.folders && readEntries_ < limits_.entries;
}

ReadAhead::FolderRef ReadAhead::NextToRead() {
  while (!queue_.empty()) {
    FolderRef folder = queue_.top();
    queue_.pop();
    if (folder->state == Folder::State::kQueued) {
      folder->state = Folder::State::kReading;
      ReuseBuffers(*folder);
      return folder;
    }
    // Otherwise the walk took it itself.
  }
  return nullptr;
}

void ReadAhead::ReadAndPublish(const FolderRef& folder, std::unique_lock<std::mutex>& lock) {
  lock.unlock();
  const bool slow = Read(*folder);
  lock.lock();
  CountRead(slow, folder->cost);
  folder->state = Folder::State::kRead;
  ++readFolders_;
  readEntries_ += folder->cost;
  for (const FolderRef& sub : folder->subFolders) queue_.push(sub);
  if (folder.get() == awaited_) folderRead_.notify_one();
}

void ReadAhead::Work(unsigned index) {
  std::unique_lock lock(mutex_);
  for (;;) {
    // A reader the pool has shrunk past sleeps apart: waking it at every call for work would cost
    // the cores the readers in use need.
    readerAllowed_.wait(lock, [&] { return stopping_ || index < allowed_; });
    const auto woken = [&] { return stopping_ || index >= allowed_ || HasWork(); };
    if (!woken()) {
      ++idle_;
      workWanted_.wait(lock, woken);
      --idle_;
    }
    if (stopping_) return;
    if (index >= allowed_) continue;
    FolderRef folder = NextToRead();
    if (!folder) continue;
    // More folders wait than this reader takes: hand the rest on to one more.
    if (HasWork()) OfferWork(1);
    ReadAndPublish(folder, lock);
    // This reader comes back for one of the sub-folders itself.
    if (folder->subFolders.size() > 1) OfferWork(folder->subFolders.size() - 1);
  }
}

void ReadAhead::Take(const FolderRef& folder, FolderContents& contents,
                     std::vector<FolderRef>& subFolders) {
  std::unique_lock lock(mutex_);
  bool counted = true;  // among the folders read and not taken
  while (folder->state != Folder::State::kRead) {
    if (folder->state == Folder::State::kQueued) {
      // Nobody has started it: read it here and take it at once.
      folder->state = Folder::State::kReading;
      ReuseBuffers(*folder);
      lock.unlock();
      const bool slow = Read(*folder);
      lock.lock();
      CountRead(slow, folder->cost);
      for (const FolderRef& sub : folder->subFolders) queue_.push(sub);
      OfferWork(folder->subFolders.size());
      counted = false;
      break;
    }
    // Being read by the pool: rather than wait, read the next folder in line, if there is room
    // and reads are quick. One that waits on the disk would hold the walk up on a folder it does
    // not need yet, long after the one it needs has arrived.
    FolderRef other = HasRoom() && !readsBlock_ ? NextToRead() : nullptr;
    if (other) {
      ReadAndPublish(other, lock);
      OfferWork(other->subFolders.size());
      continue;
    }
    awaited_ = folder.get();
    folderRead_.wait(lock, [&] { return folder->state == Folder::State::kRead; });
    awaited_ = nullptr;
  }
  if (counted) {
    const bool wasFull = !HasRoom();
    --readFolders_;
    readEntries_ -= folder->cost;
    if (wasFull && HasRoom()) OfferWork(1);
  }
  folder->state = Folder::State::kTaken;
  lock.unlock();
  std::swap(contents, folder->contents);
  subFolders = std::move(folder->subFolders);
  // The walk's previous buffers serve a later folder.
  folder->contents.Clear();
  lock.lock();
  if (spare_.size() < kSpareBuffers) spare_.push_back(std::move(folder->contents));
}

void ReadAhead::ReuseBuffers(Folder& folder) {
  if (spare_.empty()) return;
  folder.contents = std::move(spare_.back());
  spare_.pop_back();
}

}  // namespace kelvo::scan
