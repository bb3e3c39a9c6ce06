#include "scan_session.h"

#include <algorithm>

#include "platform/user_folders.h"
#include "skipped_failure.h"
#include "ui_text.h"

namespace kelvo::ui {

ScanSession::ScanSession(const LiveOptions& options, ResultsModel& model, platform::FileSystem& fs,
                         scan::AuditFunction audit, QObject* parent)
    : QObject(parent),
      options_(options),
      model_(model),
      fs_(fs),
      audit_(std::move(audit)),
      rules_(options) {
  // Folders are read ahead on the machine's cores, and more while reads wait on the disk; the rows
  // and their order do not change.
  state_.folderReaders = scan::ScanState::kReadersAsNeeded;
  timer_.setInterval(kRefreshMs);
  connect(&timer_, &QTimer::timeout, this, &ScanSession::Refresh);
  connect(&model_, &ResultsModel::rowsWithdrawn, this,
          [this](qulonglong n) { sink_.RowsWithdrawn(static_cast<std::size_t>(n)); });
  sink_.onWalkEnded = [this] {
    restorePosted_.store(true);
    QMetaObject::invokeMethod(this, &ScanSession::OnRestore, Qt::QueuedConnection);
  };
}

ScanSession::~ScanSession() {
  Stop();
  Join();
}

void ScanSession::Join() {
  if (worker_.joinable()) worker_.join();
}

void ScanSession::ClearScannedFolders() {
  if (!Busy()) sink_.PrepareForScan();
}

void ScanSession::Run() {
  if (Busy()) return;
  restorePosted_.store(false);
  // The lists load in the background while the walk starts. The previous filter goes on the
  // worker: its loading may still run, and waiting for it is no work for the GUI thread.
  std::shared_ptr<scan::PackageFilter> previous = std::move(packageFilter_);
  if (packageFilterFactory_ && !options_.IncludePackageFiles())
    packageFilter_ = packageFilterFactory_();
  state_.packageFiles = packageFilter_.get();
  keepList_ = std::make_shared<scan::KeepList>(*options_.KeepListNow());
  state_.keepList = keepList_->empty() ? nullptr : keepList_.get();
  state_.removalRights = removalRights_.get();
  request_ = options_.LiveDriveRoots();
  locations_ = options_.TickedLocations();
  {
    std::lock_guard lock(skippedMutex_);
    skipped_.clear();
  }
  clock_.start();
  timer_.start();
  worker_ = std::thread([this, previous]() mutable {
    previous.reset();
    WorkerMain();
  });
}

std::vector<scan::LocationNote> ScanSession::SkippedInUse() const {
  std::lock_guard lock(skippedMutex_);
  return skipped_;
}

void ScanSession::WorkerMain() {
  try {
    // Finding the locations' folders is file-system work: here, not on the GUI thread.
    if (const auto user = platform::CurrentUserFolders(); user && locations_.any()) {
      scan::FoundLocations found =
          scan::FindLocations(locations_, *user, scan::TrashDiskTops(*user), fs_);
      scan::AddLocationRoots(request_, found);
      std::lock_guard lock(skippedMutex_);
      skipped_ = std::move(found.skipped);
    }
    // The audit option counts as it stands when the walk has ended.
    scan::RunScan(state_, request_, rules_, sink_, fs_, [this](scan::ScanSink& sink) {
      if (options_.Audit() && audit_) audit_(sink);
    });
  } catch (...) {
    LogSkippedFailure("The scan");
    // Whatever escaped, the window must not stay in scanning mode.
    if (!restorePosted_.load()) sink_.WalkEnded();
  }
  QMetaObject::invokeMethod(this, &ScanSession::OnWorkerDone, Qt::QueuedConnection);
}

void ScanSession::Refresh() {
  RowBatch batch = sink_.TakeRows();
  if (!batch.empty()) model_.AppendBatch(std::move(batch));
  NativeString folder;
  if (sink_.TakeFolder(folder)) emit folderShown(ToQString(folder));
  std::size_t count = 0;
  if (sink_.TakeScannedCount(count)) emit scannedCountChanged(count);
  if (sink_.TakeJunkCount(count)) emit junkCountChanged(count);
}

void ScanSession::OnRestore() {
  Refresh();
  emit restoreRequested();
}

void ScanSession::OnWorkerDone() {
  Join();
  lastElapsedMs_ = clock_.elapsed();
  hasRun_ = true;
  timer_.stop();
  Refresh();
  emit finished();
}

}  // namespace kelvo::ui
