// Deletes the files of chosen rows on a worker thread for the window: one deletion at a time, a
// stop that takes effect after the file in hand, and a steady progress report (five times a
// second). Knows no widget.
#pragma once

#include <QObject>
#include <QTimer>
#include <atomic>
#include <cstddef>
#include <thread>
#include <vector>

#include "cleanup/deletion.h"
#include "scan/junk_item.h"
#include "services.h"

namespace kelvo::ui {

class DeletionSession : public QObject {
  Q_OBJECT

 public:
  static constexpr int kProgressMs = 200;

  explicit DeletionSession(DeleteFunction deleteItems, QObject* parent = nullptr);
  ~DeletionSession() override;

  // A worker exists: files are being deleted, or the last results are on their way.
  bool Busy() const { return worker_.joinable(); }
  // Deletes the items' files on the worker (only while not busy). positions are the items' rows,
  // handed back with the results.
  // choice: into the trash or not, and the keep-list checked again for every row.
  void Run(std::vector<std::size_t> positions, std::vector<scan::JunkItem> items,
           DeletionChoice choice = {});
  // Stops after the file in hand; finished() follows.
  void Stop() { stop_.store(true); }
  std::size_t Done() const { return done_.load(); }
  std::size_t Total() const { return total_.load(); }

 signals:
  void progressChanged();
  // The worker is gone. One result per row tried, in the order of positions; the rows after the
  // last result were not tried (stopped, or the service failed) and their files are untouched.
  void finished(const std::vector<std::size_t>& positions,
                const std::vector<cleanup::DeletionResult>& results);

 private:
  void OnWorkerDone(std::vector<std::size_t> positions,
                    std::vector<cleanup::DeletionResult> results);

  DeleteFunction deleteItems_;
  std::thread worker_;
  std::atomic<bool> stop_{false};
  std::atomic<std::size_t> done_{0};
  std::atomic<std::size_t> total_{0};
  QTimer progressTimer_;
};

}  // namespace kelvo::ui
