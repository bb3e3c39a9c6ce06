#include "window_scan_controls.h"

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

WindowScanControls::WindowScanControls(const LiveOptions& options) : options_(options) {}

void WindowScanControls::ShowFolder(NativeStringView path) {
  std::lock_guard lock(folderMutex_);
  folder_.assign(path);
  folderDirty_ = true;
}

std::size_t WindowScanControls::AddScannedFolder(NativeStringView path) {
  std::lock_guard lock(foldersMutex_);
  return folders_.Add(path);
}

void WindowScanControls::SetScannedFolderCount(std::size_t count) {
  scannedCount_.store(count, std::memory_order_relaxed);
  scannedDirty_.store(true, std::memory_order_release);
}

void WindowScanControls::SetJunkCount(std::size_t count) {
  // Called for every entry; publish only a change.
  if (lastJunkCount_.exchange(count, std::memory_order_relaxed) == count) return;
  junkCount_.store(count, std::memory_order_relaxed);
  junkDirty_.store(true, std::memory_order_release);
}

void WindowScanControls::AddJunkItem(scan::JunkItem item) {
  std::lock_guard lock(rowMutex_);
  pending_.rows.push_back(MakeRow(std::move(item), labels_, roots_, pending_));
  rowCount_.fetch_add(1, std::memory_order_relaxed);
}

void WindowScanControls::Pump() {
  if (onPump) onPump();
}

void WindowScanControls::RestoreIdle() {
  if (onRestoreIdle) onRestoreIdle();
}

void WindowScanControls::FolderUnreadable(NativeStringView path, std::error_code error) {
  {
    std::lock_guard lock(unreadableMutex_);
    unreadableList_.push_back({NativeString(path), error});
  }
  unreadable_.fetch_add(1, std::memory_order_relaxed);
}

std::vector<WindowScanControls::Unreadable> WindowScanControls::UnreadableList() {
  std::lock_guard lock(unreadableMutex_);
  return unreadableList_;
}

RowBatch WindowScanControls::TakeRows() {
  RowBatch out;
  std::lock_guard lock(rowMutex_);
  std::swap(out, pending_);
  return out;
}

bool WindowScanControls::TakeFolder(NativeString& path) {
  std::lock_guard lock(folderMutex_);
  if (!folderDirty_) return false;
  folderDirty_ = false;
  path = folder_;
  return true;
}

bool WindowScanControls::TakeScannedCount(std::size_t& count) {
  if (!scannedDirty_.exchange(false, std::memory_order_acquire)) return false;
  count = scannedCount_.load(std::memory_order_relaxed);
  return true;
}

bool WindowScanControls::TakeJunkCount(std::size_t& count) {
  if (!junkDirty_.exchange(false, std::memory_order_acquire)) return false;
  count = junkCount_.load(std::memory_order_relaxed);
  return true;
}

void WindowScanControls::PrepareForScan() {
  std::lock_guard lock(foldersMutex_);
  folders_.Clear();
  lastJunkCount_.store(SIZE_MAX);
  unreadable_.store(0);
  std::lock_guard unreadableLock(unreadableMutex_);
  unreadableList_.clear();
}

}  // namespace kelvo::ui
