// The scan's controls for the window. The scan calls them on its worker thread; nothing here
// touches a widget. Options are read from atomics, rows and the current folder wait in buffers that
// the GUI thread takes at its own pace, and counters are plain atomics.
#pragma once

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "live_options.h"
#include "result_row.h"
#include "scan/scan_controls.h"

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

class WindowScanControls final : public scan::ScanControls {
 public:
  explicit WindowScanControls(const LiveOptions& options);

  void ShowFolder(NativeStringView path) override;
  std::size_t AddScannedFolder(NativeStringView path) override;
  void SetScannedFolderCount(std::size_t count) override;
  void SetJunkCount(std::size_t count) override;
  std::size_t RowCount() override { return rowCount_.load(std::memory_order_relaxed); }
  void AddJunkItem(scan::JunkItem item) override;
  bool PatternTicked(int index) override { return options_.Pattern(index); }
  bool TempFolderRuleTicked() override { return options_.TempFolders(); }
  bool ZeroByteRuleTicked() override { return options_.ZeroByte(); }
  bool AuditTicked() override { return options_.Audit(); }
  int DriveNodeCount() override { return options_.DriveCount(); }
  bool NodeTicked(int node) override { return options_.NodeTicked(node); }
  NativeString NodeKey(int node) override { return options_.NodeKey(node); }
  void Pump() override;
  void RestoreIdle() override;
  void FolderUnreadable(NativeStringView path, std::error_code error) override;
  scan::RuleSwitches EnabledRules() override { return options_.EnabledRules(); }

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

  std::function<void()> onRestoreIdle;  // runs on the worker
  std::function<void()> onPump;         // runs on the worker, once per entry (tests)

 private:
  const LiveOptions& options_;
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
