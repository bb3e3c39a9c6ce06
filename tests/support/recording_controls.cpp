#include "support/recording_controls.h"

namespace kelvo::testing {

RecordingControls::RecordingControls() = default;

void RecordingControls::ShowFolder(NativeStringView path) {
  events.push_back("show " + NativeToUtf8(path));
}

std::size_t RecordingControls::AddScannedFolder(NativeStringView path) {
  scannedFolders.push_back(NativeToUtf8(path));
  return scannedFolders.size();
}

void RecordingControls::AddJunkItem(scan::JunkItem item) {
  events.push_back("row " + std::to_string(item.rule) + " " + NativeToUtf8(item.fullPath));
  rows.push_back(std::move(item));
}

bool RecordingControls::NodeTicked(int node) {
  const int drives = DriveNodeCount();
  if (node >= 2 && node <= drives + 1) {
    std::size_t i = static_cast<std::size_t>(node - 2);
    return i >= driveTicks.size() || driveTicks[i];
  }
  for (int which = 0; which < 4; ++which)
    if (node == scan::SpecialFolderNode(drives, which))
      return specialTicks[static_cast<std::size_t>(which)];
  return false;
}

NativeString RecordingControls::NodeKey(int node) {
  if (node >= 2 && node <= DriveNodeCount() + 1)
    return Utf8ToNative(driveKeys[static_cast<std::size_t>(node - 2)]);
  return {};
}

void RecordingControls::Pump() {
  ++pumps;
  if (onPump) onPump(pumps);
}

void RecordingControls::FolderUnreadable(NativeStringView path, std::error_code) {
  events.push_back("unreadable " + NativeToUtf8(path));
}

std::vector<std::string> RecordingControls::RowTexts() const {
  std::vector<std::string> out;
  for (const auto& r : rows)
    out.push_back(std::to_string(r.rule) + "|" + NativeToUtf8(r.fileName) + "|" +
                  NativeToUtf8(r.fullPath) + "|" + NativeToUtf8(r.typeLabel) + "|" +
                  (r.size ? std::to_string(*r.size) : std::string()));
  return out;
}

void RecordingControls::TickAllPatterns(bool on) {
  patterns.fill(on);
}

}  // namespace kelvo::testing
