// The bars of "垃圾分布": one per kind of junk (a rule or a location) and one per disk, each with
// its files (each file once), lengths, bytes on disk and share of the whole, largest first.
#pragma once

#include <QString>
#include <cstdint>
#include <vector>

#include "row_tally.h"
#include "scan/junk_tally.h"

namespace kelvo::ui {

struct SummaryBar {
  enum class Kind { kKind, kDisk };
  Kind kind = Kind::kKind;
  QString name;
  scan::TallyCounts counts;
  scan::TallyCounts checked;  // of the ticked rows
  double share = 0;           // of all bytes on disk (of all files when none take any), 0 to 1
  int rule = 0;               // a kind's
  bool emptyFolder = false;   // a kind's
  std::uint64_t device = 0;   // a disk's
  // Every row of the bar is ticked.
  bool AllChecked() const { return counts.files > 0 && checked.files >= counts.files; }
};

// The kinds first, then the disks.
std::vector<SummaryBar> SummaryBars(const RowCounts& all, const RowCounts& checked);

}  // namespace kelvo::ui
