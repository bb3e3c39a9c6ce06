// Counts the list's rows as files, each file once however many rows list it: per kind (the rule or
// location that listed it), per disk and in all, for all rows and for the ticked ones, with what
// deleting them would free. The rows of one file form a ring through the rows themselves, and a
// flat table keyed by disk and inode holds one row of each file with the top of its key's hash, so
// that a million rows cost a few bytes each here, a look-up reads no row but the one it finds, and
// every change is a short walk round one ring.
#pragma once

#include <cstdint>
#include <deque>
#include <vector>

#include "path_arena.h"
#include "result_row.h"
#include "scan/junk_tally.h"

namespace kelvo::ui {

class RowTally;

// The counts of one set of rows (all, or the ticked ones).
class RowCounts {
 public:
  // Each sorted by bytes on disk, the largest first; kinds and disks without files left out.
  std::vector<scan::JunkTally::KindLine> Kinds() const;
  std::vector<scan::JunkTally::DiskLine> Disks() const;
  const scan::TallyCounts& Total() const { return total_; }
  // Bytes on disk that deleting every row of the set would free: a file with more names than
  // the set lists keeps its blocks.
  std::uint64_t Freeable() const { return freeable_; }

 private:
  friend class RowTally;
  const RowTally* owner_ = nullptr;
  std::vector<scan::TallyCounts> kinds_;  // by rule * 2 + empty folder
  std::vector<scan::TallyCounts> disks_;  // 0: rows whose file was not seen; i + 1: disk i
  scan::TallyCounts total_;
  std::uint64_t freeable_ = 0;
};

class RowTally {
 public:
  // Reads the rows' paths, disks and roots from the list's tables; links the rows' rings.
  RowTally(std::deque<ResultRow>& rows, const PathArena& paths,
           const std::vector<std::uint64_t>& devices, const std::vector<NativeString>& roots);
  RowTally(const RowTally&) = delete;
  RowTally& operator=(const RowTally&) = delete;

  // Counts the row at this position, in the ticked set too when it is ticked.
  void Add(std::uint32_t position);
  // Takes the row out of every count and of its file's ring; it may then go.
  void Withdraw(std::uint32_t position);
  // The row was ticked or unticked (its flag says which, before or after: it does not matter).
  void Tick(std::uint32_t position, bool checked);
  // Every row is ticked, or none.
  void CheckAll();
  void UncheckAll();
  // The rows moved (withdrawn ones left out): newPosition maps each old position to the new one.
  void Remap(const std::vector<std::uint32_t>& newPosition);
  void Clear();

  const RowCounts& All() const { return all_; }
  const RowCounts& Checked() const { return checked_; }
  std::size_t MemoryBytes() const { return slots_.capacity() * sizeof(Slot); }

 private:
  friend class RowCounts;
  // What the other rows of a row's file (of the set) say about it.
  struct Others {
    bool any = false;         // the set lists the file elsewhere
    bool sameKind = false;    // under the row's kind too
    bool samePath = false;    // under the row's path too
    std::uint32_t names = 0;  // distinct paths, counted when the file has several names
  };
  Others OthersOf(std::uint32_t position, bool checkedOnly) const;
  void Apply(RowCounts& counts, const ResultRow& row, const Others& others, int sign);
  // One row of a file, and the top half of its key's hash: where the file belongs follows from
  // it, and a slot whose hash differs is passed by without reading its row.
  struct Slot {
    std::uint32_t position;
    std::uint32_t hash;
  };
  static std::uint32_t HashOf(const ResultRow& row);
  std::size_t Home(std::uint32_t hash) const { return hash >> (shift_ - 32); }
  // The slot of the row's file, or the empty slot where it would go.
  std::size_t Find(const ResultRow& row, std::uint32_t hash) const;
  void EraseSlot(std::size_t slot);
  void Grow();
  NativeStringView PathOf(const ResultRow& row) const {
    return paths_.View(row.path, row.pathLength);
  }

  static constexpr std::uint32_t kEmpty = UINT32_MAX;
  std::deque<ResultRow>& rows_;
  const PathArena& paths_;
  const std::vector<std::uint64_t>& devices_;
  const std::vector<NativeString>& roots_;
  std::vector<Slot> slots_;  // one row of each file seen by disk and inode, or kEmpty
  std::size_t files_ = 0;
  unsigned shift_ = 0;  // 64 - log2(slots)
  std::vector<std::uint16_t>
      diskRoot_;  // by disk as in RowCounts: the shortest root that reached it
  RowCounts all_;
  RowCounts checked_;
};

}  // namespace kelvo::ui
