// The scan's controls: everything the scan engine reads or writes outside its own state. The
// window, the command-line tool and the tests each supply an implementation.
#pragma once

#include <cstddef>
#include <system_error>

#include "platform/native_string.h"
#include "scan/junk_item.h"
#include "scan/junk_rules.h"

namespace kelvo::scan {

// Tree positions: node 1 "扫描硬盘" with the drive nodes 2..D+1, node D+2 "扫描特殊文件夹" with the
// special-folder nodes D+3 (Recent), D+4 (History), D+5 (Cookies), D+6 (IE cache).
inline constexpr int kDriveRootNode = 1;
inline int SpecialFolderNode(int driveCount, int which) {
  return driveCount + 3 + which;
}

class ScanControls {
 public:
  virtual ~ScanControls() = default;

  // The main window: the current folder (its label and the window title), the scanned-folder list
  // and its count, and the junk count.
  virtual void ShowFolder(NativeStringView path) = 0;
  virtual std::size_t AddScannedFolder(NativeStringView path) = 0;  // returns the list's count
  virtual void SetScannedFolderCount(std::size_t count) = 0;
  virtual void SetJunkCount(std::size_t count) = 0;

  // The results list: its row count, and a new row on top.
  virtual std::size_t RowCount() = 0;
  virtual void AddJunkItem(JunkItem item) = 0;

  // The settings dialog: pattern option k (0-17), Check2 (temp folders), Check3 (zero-byte files
  // and empty folders), Check4 (shared-DLL audit after the scan).
  virtual bool PatternTicked(int index) = 0;
  virtual bool TempFolderRuleTicked() = 0;
  virtual bool ZeroByteRuleTicked() = 0;
  virtual bool AuditTicked() = 0;

  // The scan target tree, by position (1-based).
  virtual int DriveNodeCount() = 0;
  virtual bool NodeTicked(int node) = 0;
  virtual NativeString NodeKey(int node) = 0;

  // Called once per directory entry: the scan's yield to its surroundings.
  virtual void Pump() {}

  // The end of a scan's walk (also after a stop): the window returns to idle.
  virtual void RestoreIdle() {}

  // A folder that could not be opened or listed; the scan goes on without it.
  virtual void FolderUnreadable(NativeStringView /*path*/, std::error_code /*error*/) {}

  // All rule switches at once, read for every examined entry. The default asks the controls one by
  // one; an implementation that keeps them together may answer in one step.
  virtual RuleSwitches EnabledRules();
};

}  // namespace kelvo::scan
