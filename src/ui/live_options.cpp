#include "live_options.h"

namespace kelvo::ui {

void LiveOptions::SetKeepEntries(std::vector<settings::KeepEntry> entries) {
  auto keep = std::make_shared<scan::KeepList>();
  for (const settings::KeepEntry& e : entries) {
    if (e.kind == settings::KeepEntry::Kind::kFolder)
      keep->AddFolder(e.text);
    else
      keep->AddPattern(e.text);
  }
  keepEntries_ = std::move(entries);
  keepList_ = std::move(keep);
}

void LiveOptions::SetNodes(int driveCount, std::vector<NativeString> keys) {
  driveCount_ = driveCount;
  keys_ = std::move(keys);
  ticks_ = std::make_unique<std::atomic<bool>[]>(keys_.size());
  for (std::size_t i = 0; i < keys_.size(); ++i) ticks_[i].store(false);
}

void LiveOptions::SetNodeTicked(int node, bool on) {
  if (node >= 1 && node <= NodeCount()) ticks_[static_cast<std::size_t>(node - 1)].store(on);
}

bool LiveOptions::NodeTicked(int node) const {
  return node >= 1 && node <= NodeCount() && ticks_[static_cast<std::size_t>(node - 1)].load();
}

NativeString LiveOptions::NodeKey(int node) const {
  if (node < 1 || node > NodeCount()) return {};
  return keys_[static_cast<std::size_t>(node - 1)];
}

scan::RuleSwitches LiveOptions::EnabledRules() const {
  scan::RuleSwitches on;
  for (int k = 0; k < scan::kPatternCount; ++k)
    on[static_cast<std::size_t>(k + 1)] = patterns_[static_cast<std::size_t>(k)].load();
  on[scan::kTempFolderRule] = TempFolders();
  on[scan::kZeroByteRule] = ZeroByte();
  for (int which = 0; which < 4; ++which)
    on[static_cast<std::size_t>(scan::kRecentRule + which)] =
        NodeTicked(SpecialFolderNode(driveCount_, which));
  return on;
}

scan::ScanRequest LiveOptions::TickedRoots() const {
  scan::ScanRequest request;
  const int driveCount = DriveCount();
  for (int node = 2; node <= driveCount + 1; ++node)
    if (NodeTicked(node)) request.roots.push_back({scan::RootKind::kDisk, NodeKey(node)});
  request.roots.push_back({scan::RootKind::kAudit, {}});
  const int days = OlderThanDays();
  request.age = scan::AgeLimit::StartingNow(days >= 0 ? std::optional<int>(days) : std::nullopt);
  return request;
}

scan::ScanRequest LiveOptions::LiveDriveRoots() const {
  scan::ScanRequest request;
  const int driveCount = DriveCount();
  for (int node = 2; node <= driveCount + 1; ++node)
    request.roots.push_back({scan::RootKind::kDisk, NodeKey(node)});
  request.roots.push_back({scan::RootKind::kAudit, {}});
  const int days = OlderThanDays();
  request.age = scan::AgeLimit::StartingNow(days >= 0 ? std::optional<int>(days) : std::nullopt);
  // The nodes are set before any scan and never change while one runs; the ticks are atomics.
  request.stillWanted = [this, driveCount](const scan::ScanRoot& root) {
    if (root.kind != scan::RootKind::kDisk) return true;
    for (int node = 2; node <= driveCount + 1; ++node)
      if (NodeKey(node) == root.path) return NodeTicked(node);
    return true;  // a root the tree does not hold (a location's folder walked as a disk)
  };
  return request;
}

scan::LocationSet LiveOptions::TickedLocations() const {
  scan::LocationSet wanted;
  for (int i = 0; i < scan::kLocationCount; ++i)
    wanted[static_cast<std::size_t>(i)] = NodeTicked(LocationNode(driveCount_, i));
  return wanted;
}

}  // namespace kelvo::ui
