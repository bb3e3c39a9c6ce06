// Both sides of a scan for tests: options set directly (read live, like the window's), the roots
// as a drive list, and every step the sink sees recorded in order.
#pragma once

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "scan/driver.h"

namespace kelvo::testing {

class RecordingScan : public scan::ScanSink, public scan::RuleSource {
 public:
  void FolderReached(NativeStringView path) override;
  void RowFound(scan::JunkItem item) override;
  void FolderUnreadable(NativeStringView path, std::error_code error) override;
  void ProgressTick() override;
  void WalkEnded() override;
  scan::RuleSwitches Current() override;

  // The ticked drives in order, then the audit when check4 is set.
  scan::ScanRequest Request() const;

  // Rows as "rule|name|path|label|size", in discovery order.
  std::vector<std::string> RowTexts() const;
  void TickAllPatterns(bool on);

  std::array<bool, scan::kPatternCount> patterns{};
  bool check2 = false;
  bool check3 = false;
  bool check4 = false;
  std::vector<std::string> driveKeys;
  std::vector<bool> driveTicks;                // parallel to driveKeys; default ticked
  std::array<bool, 4> specialTicks{};          // Recent, History, Cookies, IE cache
  std::function<void(int tickNumber)> onTick;  // runs inside the yield, like a click would

  std::vector<std::string> events;  // "show <path>", "row <rule> <path>", "unreadable <path>", ...
  std::vector<std::string> scannedFolders;
  std::vector<scan::JunkItem> rows;
  std::size_t scannedCount = 0;
  std::size_t junkCount = 0;  // the row count as last shown
  int ticks = 0;
};

// RunScan over the scan's own request, rules and sink.
void RunScan(scan::ScanState& state, RecordingScan& scan, platform::FileSystem& fs,
             const scan::AuditFunction& audit = {});

}  // namespace kelvo::testing
