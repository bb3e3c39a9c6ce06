#include "support/recording_scan.h"

namespace kelvo::testing {

void RecordingScan::FolderReached(NativeStringView path) {
  events.push_back("show " + NativeToUtf8(path));
  scannedFolders.push_back(NativeToUtf8(path));
  scannedCount = scannedFolders.size();
}

void RecordingScan::RowFound(scan::JunkItem item) {
  events.push_back("row " + std::to_string(item.rule) + " " + NativeToUtf8(item.fullPath));
  rows.push_back(std::move(item));
}

void RecordingScan::FolderUnreadable(NativeStringView path, std::error_code) {
  events.push_back("unreadable " + NativeToUtf8(path));
}

void RecordingScan::ProgressTick() {
  ++ticks;
  if (onTick) onTick(ticks);
  junkCount = rows.size();
}

void RecordingScan::WalkEnded() {
  junkCount = rows.size();
  events.push_back("idle");
}

scan::RuleSwitches RecordingScan::Current() {
  scan::RuleSwitches on;
  for (int k = 0; k < scan::kPatternCount; ++k)
    on[static_cast<std::size_t>(k + 1)] = patterns[static_cast<std::size_t>(k)];
  on[scan::kTempFolderRule] = check2;
  on[scan::kZeroByteRule] = check3;
  for (std::size_t which = 0; which < specialTicks.size(); ++which)
    on[scan::kRecentRule + which] = specialTicks[which];
  return on;
}

scan::ScanRequest RecordingScan::Request() const {
  std::vector<NativeString> ticked;
  for (std::size_t i = 0; i < driveKeys.size(); ++i)
    if (i >= driveTicks.size() || driveTicks[i]) ticked.push_back(Utf8ToNative(driveKeys[i]));
  return scan::DiskScan(ticked, check4);
}

std::vector<std::string> RecordingScan::RowTexts() const {
  std::vector<std::string> out;
  for (const auto& r : rows)
    out.push_back(std::to_string(r.rule) + "|" + NativeToUtf8(r.fileName) + "|" +
                  NativeToUtf8(r.fullPath) + "|" + NativeToUtf8(r.typeLabel) + "|" +
                  (r.size ? std::to_string(*r.size) : std::string()));
  return out;
}

void RecordingScan::TickAllPatterns(bool on) {
  patterns.fill(on);
}

void RunScan(scan::ScanState& state, RecordingScan& scan, platform::FileSystem& fs,
             const scan::AuditFunction& audit) {
  scan::RunScan(state, scan.Request(), scan, scan, fs, audit);
}

}  // namespace kelvo::testing
