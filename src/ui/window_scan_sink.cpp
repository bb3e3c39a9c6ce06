#include "window_scan_sink.h"

namespace kelvo::ui {

std::size_t FolderList::Add(NativeStringView path) {
  text_ += path;
  ends_.push_back(text_.size());
  return ends_.size();
}

void FolderList::Clear() {
  text_.clear();
  text_.shrink_to_fit();
  ends_.clear();
  ends_.shrink_to_fit();
}

NativeStringView FolderList::At(std::size_t i) const {
  const std::size_t begin = i == 0 ? 0 : ends_[i - 1];
  return NativeStringView(text_).substr(begin, ends_[i] - begin);
}

void WindowScanSink::FolderReached(NativeStringView path) {
  {
    std::lock_guard lock(folderMutex_);
    folder_.assign(path);
    folderDirty_ = true;
  }
  std::size_t count = 0;
  {
    std::lock_guard lock(foldersMutex_);
    count = folders_.Add(path);
  }
  scannedCount_.store(count, std::memory_order_relaxed);
  scannedDirty_.store(true, std::memory_order_release);
}

void WindowScanSink::ProgressTick() {
  if (onTick) onTick();
  ShowJunkCount();
}

void WindowScanSink::WalkEnded() {
  ShowJunkCount();
  if (onWalkEnded) onWalkEnded();
}

void WindowScanSink::ShowJunkCount() {
  // Called for every entry; publish only a change.
  const std::size_t count = rowCount_.load(std::memory_order_relaxed);
  if (lastJunkCount_.exchange(count, std::memory_order_relaxed) == count) return;
  junkCount_.store(count, std::memory_order_relaxed);
  junkDirty_.store(true, std::memory_order_release);
}

void WindowScanSink::RowFound(scan::JunkItem item) {
  std::lock_guard lock(rowMutex_);
  pending_.rows.push_back(MakeRow(std::move(item), labels_, roots_, pending_));
  rowCount_.fetch_add(1, std::memory_order_relaxed);
}

void WindowScanSink::FolderUnreadable(NativeStringView path, std::error_code error) {
  {
    std::lock_guard lock(unreadableMutex_);
    unreadableList_.push_back({NativeString(path), error});
  }
  unreadable_.fetch_add(1, std::memory_order_relaxed);
}

std::vector<WindowScanSink::Unreadable> WindowScanSink::UnreadableList() {
  std::lock_guard lock(unreadableMutex_);
  return unreadableList_;
}

RowBatch WindowScanSink::TakeRows() {
  RowBatch out;
  std::lock_guard lock(rowMutex_);
  std::swap(out, pending_);
  return out;
}

bool WindowScanSink::TakeFolder(NativeString& path) {
  std::lock_guard lock(folderMutex_);
  if (!folderDirty_) return false;
  folderDirty_ = false;
  path = folder_;
  return true;
}

bool WindowScanSink::TakeScannedCount(std::size_t& count) {
  if (!scannedDirty_.exchange(false, std::memory_order_acquire)) return false;
  count = scannedCount_.load(std::memory_order_relaxed);
  return true;
}

bool WindowScanSink::TakeJunkCount(std::size_t& count) {
  if (!junkDirty_.exchange(false, std::memory_order_acquire)) return false;
  count = junkCount_.load(std::memory_order_relaxed);
  return true;
}

void WindowScanSink::PrepareForScan() {
  std::lock_guard lock(foldersMutex_);
  folders_.Clear();
  lastJunkCount_.store(SIZE_MAX);
  unreadable_.store(0);
  std::lock_guard unreadableLock(unreadableMutex_);
  unreadableList_.clear();
}

}  // namespace kelvo::ui
