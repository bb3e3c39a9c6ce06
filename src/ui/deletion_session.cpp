#include "deletion_session.h"

#include "skipped_failure.h"

namespace kelvo::ui {

DeletionSession::DeletionSession(DeleteFunction deleteItems, QObject* parent)
    : QObject(parent), deleteItems_(std::move(deleteItems)) {
  progressTimer_.setInterval(kProgressMs);
  connect(&progressTimer_, &QTimer::timeout, this, &DeletionSession::progressChanged);
}

DeletionSession::~DeletionSession() {
  Stop();
  if (worker_.joinable()) worker_.join();
}

void DeletionSession::Run(std::vector<std::size_t> positions, std::vector<scan::JunkItem> items,
                          DeletionChoice choice) {
  if (Busy()) return;
  stop_.store(false);
  done_.store(0);
  total_.store(items.size());
  progressTimer_.start();
  worker_ = std::thread([this, positions = std::move(positions), items = std::move(items),
                         choice = std::move(choice)] {
    std::vector<cleanup::DeletionResult> results;
    try {
      results = deleteItems_(
          items,
          [this](std::size_t done, std::size_t total) {
            done_.store(done);
            total_.store(total);
            return !stop_.load();
          },
          choice);
    } catch (...) {
      LogSkippedFailure("Deleting the rows");
      results.clear();  // whatever went wrong, no row whose file may still exist leaves the list
    }
    if (results.size() > items.size()) results.resize(items.size());
    QMetaObject::invokeMethod(
        this,
        [this, positions = std::move(positions), results = std::move(results)]() mutable {
          OnWorkerDone(std::move(positions), std::move(results));
        },
        Qt::QueuedConnection);
  });
}

void DeletionSession::OnWorkerDone(std::vector<std::size_t> positions,
                                   std::vector<cleanup::DeletionResult> results) {
  if (worker_.joinable()) worker_.join();
  progressTimer_.stop();
  emit finished(positions, results);
}

}  // namespace kelvo::ui
