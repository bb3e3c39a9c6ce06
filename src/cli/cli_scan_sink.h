// Where the command line's scans put what they find: rows streamed to a writer, counters kept for
// the summary, progress and unreadable folders on stderr.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>

#include "row_writer.h"
#include "scan/scan_sink.h"

namespace kelvo::cli {

struct ScanTotals {
  std::uint64_t rows = 0;
  std::uint64_t bytes = 0;
  std::uint64_t folders = 0;
  std::uint64_t unreadableFolders = 0;
  std::uint64_t needAdmin = 0;  // rows only an administrator could remove
};

class CliScanSink final : public scan::ScanSink {
 public:
  using RowConsumer = std::function<void(scan::JunkItem&&)>;

  CliScanSink(RowConsumer rows, bool showProgress);

  void FolderReached(NativeStringView) override { ++totals_.folders; }
  void RowFound(scan::JunkItem item) override;
  void FolderUnreadable(NativeStringView path, std::error_code error) override;
  void ProgressTick() override;
  // The progress line goes before the rows held back for the audit come out.
  void WalkEnded() override { FinishProgress(); }

  void FinishProgress();
  const ScanTotals& totals() const { return totals_; }

 private:
  void PrintProgress();

  RowConsumer rows_;
  bool showProgress_;
  ScanTotals totals_;
  std::uint32_t ticksSinceCheck_ = 0;
  std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
  std::chrono::steady_clock::time_point lastProgress_ = start_;
  bool progressShown_ = false;
};

}  // namespace kelvo::cli
