// The options a running scan reads for every entry: the pattern ticks and check boxes of the
// settings dialog and the tick marks of the scan target tree. The widgets write them on the GUI
// thread, the scan reads them on its worker, so every value is an atomic and a change counts from
// the next read. The tree's node positions are known here and nowhere else in the scan.
#pragma once

#include <array>
#include <atomic>
#include <memory>
#include <system_error>
#include <vector>

#include "platform/native_string.h"
#include "scan/junk_rules.h"
#include "scan/keep_list.h"
#include "scan/location_finder.h"
#include "scan/rule_source.h"
#include "scan/scan_request.h"
#include "settings/keep_list_file.h"

namespace kelvo::ui {

// Tree positions: node 1 "扫描硬盘" with the drive nodes 2..D+1, node D+2 "扫描特殊文件夹" with the
// special-folder nodes D+3 (Recent), D+4 (History), D+5 (Cookies), D+6 (IE cache), node D+7
// "扫描常见垃圾位置" with the location nodes D+8.. in the locations' order.
inline int SpecialFolderNode(int driveCount, int which) {
  return driveCount + 3 + which;
}
inline int LocationNode(int driveCount, int location) {
  return driveCount + 8 + location;
}

class LiveOptions {
 public:
  LiveOptions() = default;
  LiveOptions(const LiveOptions&) = delete;
  LiveOptions& operator=(const LiveOptions&) = delete;

  void SetPattern(int index, bool on) { patterns_.at(static_cast<std::size_t>(index)).store(on); }
  bool Pattern(int index) const { return patterns_.at(static_cast<std::size_t>(index)).load(); }
  void SetTempFolders(bool on) { tempFolders_.store(on); }
  bool TempFolders() const { return tempFolders_.load(); }
  void SetZeroByte(bool on) { zeroByte_.store(on); }
  bool ZeroByte() const { return zeroByte_.load(); }
  void SetAudit(bool on) { audit_.store(on); }
  bool Audit() const { return audit_.load(); }
  // Off by default: files that installed packages own are kept out of the results.
  void SetIncludePackageFiles(bool on) { includePackageFiles_.store(on); }
  bool IncludePackageFiles() const { return includePackageFiles_.load(); }
  // "删除前确认": ask before a deletion (off by default).
  void SetConfirmDeletion(bool on) { confirmDeletion_.store(on); }
  bool ConfirmDeletion() const { return confirmDeletion_.load(); }
  // Only files not modified for this many days are rows (-1: no age chosen). Read when a scan
  // starts.
  void SetOlderThanDays(int days) { olderThanDays_.store(days); }
  int OlderThanDays() const { return olderThanDays_.load(); }
  // "删除到回收站": deletions move the files into the trash (off by default).
  void SetTrash(bool on) { trash_.store(on); }
  bool Trash() const { return trash_.load(); }

  // The keep-list as stored; read and set on the GUI thread only. A scan or a deletion takes the
  // list as it stands when it starts (a deletion checks it again for every row).
  void SetKeepEntries(std::vector<settings::KeepEntry> entries);
  const std::vector<settings::KeepEntry>& KeepEntries() const { return keepEntries_; }
  std::shared_ptr<const scan::KeepList> KeepListNow() const { return keepList_; }
  // Why the stored list could not be read (empty when it could): no deletion goes on without it.
  void SetKeepListError(std::error_code error) { keepListError_ = error; }
  std::error_code KeepListError() const { return keepListError_; }

  // The tree's nodes, numbered from 1; set once when the tree is built, before any scan.
  void SetNodes(int driveCount, std::vector<NativeString> keys);
  int DriveCount() const { return driveCount_; }
  int NodeCount() const { return static_cast<int>(keys_.size()); }
  void SetNodeTicked(int node, bool on);
  bool NodeTicked(int node) const;
  NativeString NodeKey(int node) const;

  scan::RuleSwitches EnabledRules() const;
  // What a scan started now walks: the ticked drive nodes in node order (the drive count read
  // once), then the audit. Whether the audit runs is read when the walk has ended.
  scan::ScanRequest TickedRoots() const;
  // What a scan started now walks when the drive ticks are read as the walk reaches each drive:
  // every drive node in node order, each walked only if ticked by then, then the audit.
  scan::ScanRequest LiveDriveRoots() const;
  // The ticked location nodes, whose folders are looked for on the scan's worker.
  scan::LocationSet TickedLocations() const;

 private:
  std::array<std::atomic<bool>, scan::kPatternCount> patterns_{};
  std::atomic<bool> tempFolders_{false};
  std::atomic<bool> zeroByte_{false};
  std::atomic<bool> audit_{false};
  std::atomic<bool> includePackageFiles_{false};
  std::atomic<bool> confirmDeletion_{false};
  std::atomic<int> olderThanDays_{-1};
  std::atomic<bool> trash_{false};
  std::vector<settings::KeepEntry> keepEntries_;
  std::shared_ptr<const scan::KeepList> keepList_ = std::make_shared<scan::KeepList>();
  std::error_code keepListError_;
  int driveCount_ = 0;
  std::vector<NativeString> keys_;              // index node - 1
  std::unique_ptr<std::atomic<bool>[]> ticks_;  // index node - 1
};

// The switches of the options as they are at each read.
class LiveRules final : public scan::RuleSource {
 public:
  explicit LiveRules(const LiveOptions& options) : options_(options) {}
  scan::RuleSwitches Current() override { return options_.EnabledRules(); }

 private:
  const LiveOptions& options_;
};

}  // namespace kelvo::ui
