// Where the window's scans put what they find. The scan calls it on its worker thread; nothing here
// touches a widget. Rows and the current folder wait in buffers that the GUI thread takes at its
// own pace, and counters are plain atomics.
#pragma once

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "result_row.h"
#include "scan/scan_sink.h"

namespace kelvo::ui {

// The folders a scan has visited, packed into one buffer.
class FolderList {
 public:
  std::size_t Add(NativeStringView path);
  void Clear();
  std::size_t size() const { return ends_.size(); }
  NativeStringView At(std::size_t i) const;

 private:
  NativeString text_;
  std::vector<std::size_t> ends_;
};

class WindowScanSink final : public scan::ScanSink {
 public:
  // Shown: the folder (label and title), and the scanned-folder list and its count.
  void FolderReached(NativeStringView path) override;
  void RowFound(scan::JunkItem item) override;
  void FolderUnreadable(NativeStringView path, std::error_code error) override;
  // Shows the junk count as it stands before the entry's rows.
  void ProgressTick() override;
  // Shows the whole junk count, then asks the window to go idle.
  void WalkEnded() override;

  // GUI side. Each Take returns what changed since the previous call.
  RowBatch TakeRows();
  bool TakeFolder(NativeString& path);
  bool TakeScannedCount(std::size_t& count);
  bool TakeJunkCount(std::size_t& count);
  // Rows left the list on the GUI side; the count the scan reads follows.
  void RowsWithdrawn(std::size_t n) { rowCount_.fetch_sub(n, std::memory_order_relaxed); }
  std::size_t UnreadableFolders() const { return unreadable_.load(); }
  struct Unreadable {
    NativeString path;
    std::error_code error;
  };
  // The folders that could not be read so far, in the order met.
  std::vector<Unreadable> UnreadableList();

  // Between scans only (no worker running).
  void PrepareForScan();
  FolderList& folders() { return folders_; }

  std::function<void()> onWalkEnded;  // runs on the worker
  std::function<void()> onTick;       // runs on the worker, once per entry (tests)

 private:
  void ShowJunkCount();

  std::atomic<std::size_t> rowCount_{0};
  std::atomic<std::size_t> scannedCount_{0};
  std::atomic<std::size_t> junkCount_{0};
  std::atomic<bool> scannedDirty_{false};
  std::atomic<bool> junkDirty_{false};
  std::atomic<std::size_t> unreadable_{0};

  std::mutex folderMutex_;
  NativeString folder_;
  bool folderDirty_ = false;

  std::mutex unreadableMutex_;
  std::vector<Unreadable> unreadableList_;

  std::mutex rowMutex_;
  RowBatch pending_;

  // Scan side; guarded so that the scan may call from more than one thread.
  TextNumbering labels_;  // under rowMutex_
  TextNumbering roots_;   // under rowMutex_
  std::mutex foldersMutex_;
  FolderList folders_;
  std::atomic<std::size_t> lastJunkCount_{SIZE_MAX};
};

}  // namespace kelvo::ui
