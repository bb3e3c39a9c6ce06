// Where a scan puts what it finds and shows. The sink keeps the counters (folders, rows, bytes,
// unreadable folders) and decides when to show them. All calls come from the walk's thread, in the
// order the walk makes them, whatever the number of threads reading ahead.
#pragma once

#include <system_error>

#include "platform/native_string.h"
#include "scan/junk_item.h"

namespace kelvo::scan {

class ScanSink {
 public:
  virtual ~ScanSink() = default;

  // A folder the walk has reached: shown and counted, also after a stop (then not listed).
  virtual void FolderReached(NativeStringView path) = 0;
  // A hit, in the order found.
  virtual void RowFound(JunkItem item) = 0;
  // A folder that could not be opened or listed; the scan goes on without it.
  virtual void FolderUnreadable(NativeStringView path, std::error_code error) = 0;
  // Once per directory entry, before its rules are read (and once per entry the audit tries): the
  // scan's yield, and the moment to show the row count, which so far leaves out this entry's rows.
  virtual void ProgressTick() = 0;
  // The walk of every root has ended, also after a stop: the row count is shown in full and the
  // surroundings return to idle. The audit, if asked for, runs after it.
  virtual void WalkEnded() = 0;
};

}  // namespace kelvo::scan
