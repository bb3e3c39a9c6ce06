// Runs scans on a worker thread for the window: one scan at a time, with its state, its sink and
// rule source, and a steady refresh (about 20 times a second) that moves found rows into the list
// and reports the current folder and the counters. Knows no widget.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "live_options.h"
#include "platform/removal_rights.h"
#include "results_model.h"
#include "scan/driver.h"
#include "scan/package_filter.h"
#include "scan/scan_state.h"
#include "window_scan_sink.h"

namespace kelvo::ui {

class ScanSession : public QObject {
  Q_OBJECT

 public:
  static constexpr int kRefreshMs = 50;

  ScanSession(const LiveOptions& options, ResultsModel& model, platform::FileSystem& fs,
              scan::AuditFunction audit, QObject* parent = nullptr);
  ~ScanSession() override;

  // A worker exists: a scan is running or a stopped one is winding down.
  bool Busy() const { return worker_.joinable(); }
  // Empties the scanned-folder list (only while not busy).
  void ClearScannedFolders();
  // Starts RunScan on the worker (only while not busy) over the roots ticked now.
  void Run();
  // Clears both flags; the worker winds down on its own.
  void Stop() { state_.SetFlags(scan::kFlagFalse); }
  // Blocks until the worker has ended (exit).
  void Join();

  const scan::ScanState& state() const { return state_; }
  WindowScanSink& sink() { return sink_; }
  const FolderList& ScannedFolders() { return sink_.folders(); }
  qint64 LastElapsedMs() const { return lastElapsedMs_; }
  bool HasRun() const { return hasRun_; }
  qint64 ElapsedMs() const { return Busy() ? clock_.elapsed() : lastElapsedMs_; }
  // Makes the filter that keeps package files out of each scan (unless the options include them).
  void SetPackageFilterFactory(std::function<std::unique_ptr<scan::PackageFilter>()> factory) {
    packageFilterFactory_ = std::move(factory);
  }
  // Hits of the last or running scan kept out as package files.
  std::size_t PackageFilesKept() const { return packageFilter_ ? packageFilter_->Kept() : 0; }
  // The locations' folders the running or last scan left out because a program that runs uses
  // them.
  std::vector<scan::LocationNote> SkippedInUse() const;
  // Entries of the last or running scan that the keep-list held back.
  std::size_t KeepListHeldBack() const { return keepList_ ? keepList_->HeldBack() : 0; }
  // Moves what the worker produced into the list and reports what changed.
  void Refresh();

 signals:
  void folderShown(const QString& path);
  void scannedCountChanged(qulonglong count);
  void junkCountChanged(qulonglong count);
  // The scan's walk has ended (also after a stop or a failure): the window goes idle.
  void restoreRequested();
  // The worker is gone; a new scan may start.
  void finished();

 private:
  void WorkerMain();
  void OnRestore();
  void OnWorkerDone();

  const LiveOptions& options_;
  ResultsModel& model_;
  platform::FileSystem& fs_;
  scan::AuditFunction audit_;
  scan::ScanState state_;
  scan::ScanRequest request_;    // of the running scan
  scan::LocationSet locations_;  // of the running scan, found on the worker
  mutable std::mutex skippedMutex_;
  std::vector<scan::LocationNote> skipped_;
  LiveRules rules_;
  WindowScanSink sink_;
  std::function<std::unique_ptr<scan::PackageFilter>()> packageFilterFactory_;
  std::unique_ptr<scan::PackageFilter> packageFilter_;  // replaced only while not busy
  std::shared_ptr<scan::KeepList> keepList_;            // this scan's copy, with its own count
  // Marks the rows only an administrator could remove; used by the walk's thread alone.
  std::unique_ptr<platform::RemovalRights> removalRights_ = platform::MakeNativeRemovalRights();
  std::thread worker_;
  std::atomic<bool> restorePosted_{false};
  QTimer timer_;
  QElapsedTimer clock_;
  qint64 lastElapsedMs_ = 0;
  bool hasRun_ = false;
};

}  // namespace kelvo::ui
