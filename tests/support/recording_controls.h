// Scan controls for tests: options set directly, and every observable step recorded in order.
#pragma once

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "scan/scan_controls.h"

namespace kelvo::testing {

class RecordingControls : public scan::ScanControls {
 public:
  RecordingControls();

  void ShowFolder(NativeStringView path) override;
  std::size_t AddScannedFolder(NativeStringView path) override;
  void SetScannedFolderCount(std::size_t count) override { scannedCount = count; }
  void SetJunkCount(std::size_t count) override { junkCount = count; }
  std::size_t RowCount() override { return rows.size(); }
  void AddJunkItem(scan::JunkItem item) override;
  bool PatternTicked(int index) override { return patterns.at(static_cast<std::size_t>(index)); }
  bool TempFolderRuleTicked() override { return check2; }
  bool ZeroByteRuleTicked() override { return check3; }
  bool AuditTicked() override { return check4; }
  int DriveNodeCount() override { return static_cast<int>(driveKeys.size()); }
  bool NodeTicked(int node) override;
  NativeString NodeKey(int node) override;
  void Pump() override;
  void RestoreIdle() override { events.push_back("idle"); }
  void FolderUnreadable(NativeStringView path, std::error_code error) override;

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
  std::function<void(int pumpNumber)> onPump;  // runs inside the yield, like a click would

  std::vector<std::string> events;  // "show <path>", "row <rule> <path>", "unreadable <path>", ...
  std::vector<std::string> scannedFolders;
  std::vector<scan::JunkItem> rows;
  std::size_t scannedCount = 0;
  std::size_t junkCount = 0;
  int pumps = 0;
};

}  // namespace kelvo::testing
