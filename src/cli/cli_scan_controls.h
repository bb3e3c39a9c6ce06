// The scan's controls for the command line: fixed options, rows streamed to a writer, progress and
// errors on stderr.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <vector>

#include "row_writer.h"
#include "scan/scan_controls.h"

namespace kelvo::cli {

struct ScanTotals {
  std::uint64_t rows = 0;
  std::uint64_t bytes = 0;
  std::uint64_t folders = 0;
  std::uint64_t unreadableFolders = 0;
};

class CliScanControls final : public scan::ScanControls {
 public:
  using RowSink = std::function<void(scan::JunkItem&&)>;

  CliScanControls(scan::RuleSwitches rules, std::vector<NativeString> roots, RowSink sink,
                  bool showProgress, bool audit = false);

  void ShowFolder(NativeStringView) override {}
  std::size_t AddScannedFolder(NativeStringView) override;
  void SetScannedFolderCount(std::size_t) override {}
  void SetJunkCount(std::size_t) override {}
  std::size_t RowCount() override { return static_cast<std::size_t>(totals_.rows); }
  void AddJunkItem(scan::JunkItem item) override;
  bool PatternTicked(int index) override;
  bool TempFolderRuleTicked() override { return rules_[scan::kTempFolderRule]; }
  bool ZeroByteRuleTicked() override { return rules_[scan::kZeroByteRule]; }
  bool AuditTicked() override { return audit_; }
  int DriveNodeCount() override { return static_cast<int>(roots_.size()); }
  bool NodeTicked(int node) override;
  NativeString NodeKey(int node) override;
  void Pump() override;
  void FolderUnreadable(NativeStringView path, std::error_code error) override;
  scan::RuleSwitches EnabledRules() override { return rules_; }

  void FinishProgress();
  const ScanTotals& totals() const { return totals_; }

 private:
  void PrintProgress();

  scan::RuleSwitches rules_;
  std::vector<NativeString> roots_;
  RowSink sink_;
  bool showProgress_;
  bool audit_;
  ScanTotals totals_;
  std::uint32_t pumpsSinceCheck_ = 0;
  std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
  std::chrono::steady_clock::time_point lastProgress_ = start_;
  bool progressShown_ = false;
};

}  // namespace kelvo::cli
