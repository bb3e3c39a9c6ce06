#include "row_tally.h"

#include <algorithm>

namespace kelvo::ui {

namespace {
constexpr std::size_t kFirstSlots = 1024;
constexpr std::uint16_t kNoRoot = UINT16_MAX;

int KindOf(const ResultRow& row) {
  return row.rule * 2 + (row.Has(ResultRow::kEmptyFolder) ? 1 : 0);
}

std::size_t DiskOf(const ResultRow& row) {
  return row.Has(ResultRow::kHasIdentity) ? std::size_t(row.deviceIndex) + 1 : 0;
}

scan::TallyCounts& Grown(std::vector<scan::TallyCounts>& counts, std::size_t index) {
  if (index >= counts.size()) counts.resize(index + 1);
  return counts[index];
}

void Count(scan::TallyCounts& counts, const ResultRow& row, int sign) {
  const std::uint64_t bytes = row.Has(ResultRow::kHasSize) ? row.size : 0;
  if (sign > 0) {
    counts.files += 1;
    counts.bytes += bytes;
    counts.bytesOnDisk += row.bytesOnDisk;
  } else {
    counts.files -= 1;
    counts.bytes -= bytes;
    counts.bytesOnDisk -= row.bytesOnDisk;
  }
}

bool Frees(bool listed, std::uint32_t names, std::uint16_t links) {
  return listed && (links <= 1 || names >= links);
}
}  // namespace

std::vector<scan::JunkTally::KindLine> RowCounts::Kinds() const {
  std::vector<scan::JunkTally::KindLine> lines;
  for (std::size_t i = 0; i < kinds_.size(); ++i)
    if (kinds_[i].files)
      lines.push_back({scan::TallyKind{static_cast<int>(i / 2), i % 2 == 1}, kinds_[i]});
  std::stable_sort(lines.begin(), lines.end(), [](const auto& a, const auto& b) {
    return a.counts.bytesOnDisk > b.counts.bytesOnDisk;
  });
  return lines;
}

std::vector<scan::JunkTally::DiskLine> RowCounts::Disks() const {
  std::vector<scan::JunkTally::DiskLine> lines;
  for (std::size_t i = 0; i < disks_.size(); ++i) {
    if (!disks_[i].files) continue;
    scan::JunkTally::DiskLine line;
    line.device = i == 0 || !owner_ || i - 1 >= owner_->devices_.size() ? UINT64_MAX
                                                                        : owner_->devices_[i - 1];
    if (owner_ && i < owner_->diskRoot_.size() && owner_->diskRoot_[i] < owner_->roots_.size())
      line.root = owner_->roots_[owner_->diskRoot_[i]];
    line.counts = disks_[i];
    lines.push_back(std::move(line));
  }
  std::sort(lines.begin(), lines.end(), [](const auto& a, const auto& b) {
    if (a.counts.bytesOnDisk != b.counts.bytesOnDisk)
      return a.counts.bytesOnDisk > b.counts.bytesOnDisk;
    return a.root < b.root;
  });
  return lines;
}

RowTally::RowTally(std::deque<ResultRow>& rows, const PathArena& paths,
                   const std::vector<std::uint64_t>& devices,
                   const std::vector<NativeString>& roots)
    : rows_(rows), paths_(paths), devices_(devices), roots_(roots) {
  Clear();
}

void RowTally::Clear() {
  slots_.assign(kFirstSlots, Slot{kEmpty, 0});
  shift_ = 64 - 10;
  files_ = 0;
  diskRoot_.clear();
  all_ = RowCounts();
  checked_ = RowCounts();
  all_.owner_ = checked_.owner_ = this;
}

std::uint32_t RowTally::HashOf(const ResultRow& row) {
  const std::uint64_t key =
      (row.inode ^ (std::uint64_t(row.deviceIndex) << 48)) * 0x9E3779B97F4A7C15ull;
  return static_cast<std::uint32_t>(key >> 32);
}

std::size_t RowTally::Find(const ResultRow& row, std::uint32_t hash) const {
  const std::size_t mask = slots_.size() - 1;
  for (std::size_t s = Home(hash);; s = (s + 1) & mask) {
    const Slot& slot = slots_[s];
    if (slot.position == kEmpty) return s;
    if (slot.hash != hash) continue;
    const ResultRow& other = rows_[slot.position];
    if (other.inode == row.inode && other.deviceIndex == row.deviceIndex) return s;
  }
}

void RowTally::Grow() {
  std::vector<Slot> old(slots_.size() * 2, Slot{kEmpty, 0});
  old.swap(slots_);
  --shift_;
  const std::size_t mask = slots_.size() - 1;
  for (const Slot& slot : old) {
    if (slot.position == kEmpty) continue;
    std::size_t s = Home(slot.hash);
    while (slots_[s].position != kEmpty) s = (s + 1) & mask;
    slots_[s] = slot;
  }
}

// Linear probing without tombstones: the rows after the freed slot move back where they belong.
void RowTally::EraseSlot(std::size_t slot) {
  const std::size_t mask = slots_.size() - 1;
  std::size_t hole = slot;
  for (std::size_t s = (slot + 1) & mask; slots_[s].position != kEmpty; s = (s + 1) & mask) {
    const std::size_t home = Home(slots_[s].hash);
    if (((s - home) & mask) >= ((s - hole) & mask)) {
      slots_[hole] = slots_[s];
      hole = s;
    }
  }
  slots_[hole].position = kEmpty;
  --files_;
}

RowTally::Others RowTally::OthersOf(std::uint32_t position, bool checkedOnly) const {
  Others o;
  const ResultRow& row = rows_[position];
  const int kind = KindOf(row);
  const bool names = row.links > 1;
  const NativeStringView path = names ? PathOf(row) : NativeStringView();
  std::vector<NativeStringView> seen;
  for (std::uint32_t q = row.nextOfFile; q != position; q = rows_[q].nextOfFile) {
    const ResultRow& other = rows_[q];
    if (checkedOnly && !other.Has(ResultRow::kChecked)) continue;
    o.any = true;
    if (KindOf(other) == kind) o.sameKind = true;
    if (!names) continue;
    const NativeStringView otherPath = PathOf(other);
    if (otherPath == path) o.samePath = true;
    if (std::find(seen.begin(), seen.end(), otherPath) == seen.end()) seen.push_back(otherPath);
  }
  o.names = static_cast<std::uint32_t>(seen.size());
  return o;
}

void RowTally::Apply(RowCounts& counts, const ResultRow& row, const Others& others, int sign) {
  if (!others.any) {
    Count(counts.total_, row, sign);
    Count(Grown(counts.disks_, DiskOf(row)), row, sign);
  }
  if (!others.sameKind)
    Count(Grown(counts.kinds_, static_cast<std::size_t>(KindOf(row))), row, sign);
  const bool freedWithout = Frees(others.any, others.names, row.links);
  const bool freedWith = Frees(true, others.names + (others.samePath ? 0 : 1), row.links);
  if (freedWith == freedWithout) return;
  // Adding the row turns the file from kept to freed (or back when it goes).
  if ((sign > 0) == freedWith)
    counts.freeable_ += row.bytesOnDisk;
  else
    counts.freeable_ -= row.bytesOnDisk;
}

void RowTally::Add(std::uint32_t position) {
  ResultRow& row = rows_[position];
  row.nextOfFile = position;
  const std::size_t disk = DiskOf(row);
  if (disk >= diskRoot_.size()) diskRoot_.resize(disk + 1, kNoRoot);
  if (row.rootIndex < roots_.size() &&
      (diskRoot_[disk] == kNoRoot || roots_[row.rootIndex].size() < roots_[diskRoot_[disk]].size()))
    diskRoot_[disk] = row.rootIndex;
  if (row.Has(ResultRow::kHasIdentity)) {
    const std::uint32_t hash = HashOf(row);
    const std::size_t s = Find(row, hash);
    if (slots_[s].position == kEmpty) {
      slots_[s] = Slot{position, hash};
      row.Set(ResultRow::kFileHead, true);
      // Three quarters full at most: a probe passes other files by their hash alone.
      if (++files_ * 4 > slots_.size() * 3) Grow();
    } else {
      row.Set(ResultRow::kFileHead, false);
      ResultRow& head = rows_[slots_[s].position];
      row.nextOfFile = head.nextOfFile;
      head.nextOfFile = position;
    }
  }
  Apply(all_, row, OthersOf(position, false), +1);
  if (row.Has(ResultRow::kChecked)) Apply(checked_, row, OthersOf(position, true), +1);
}

void RowTally::Withdraw(std::uint32_t position) {
  ResultRow& row = rows_[position];
  Apply(all_, row, OthersOf(position, false), -1);
  if (row.Has(ResultRow::kChecked)) Apply(checked_, row, OthersOf(position, true), -1);
  if (!row.Has(ResultRow::kHasIdentity)) return;
  // Only the row the table holds needs finding there: the others leave their ring alone.
  if (row.Has(ResultRow::kFileHead)) {
    const std::size_t s = Find(row, HashOf(row));
    row.Set(ResultRow::kFileHead, false);
    if (row.nextOfFile == position) {
      EraseSlot(s);
      return;
    }
    slots_[s].position = row.nextOfFile;
    rows_[row.nextOfFile].Set(ResultRow::kFileHead, true);
  }
  if (row.nextOfFile == position) return;
  std::uint32_t before = row.nextOfFile;
  while (rows_[before].nextOfFile != position) before = rows_[before].nextOfFile;
  rows_[before].nextOfFile = row.nextOfFile;
  row.nextOfFile = position;
}

void RowTally::Tick(std::uint32_t position, bool checked) {
  Apply(checked_, rows_[position], OthersOf(position, true), checked ? +1 : -1);
}

void RowTally::CheckAll() {
  checked_ = all_;
}

void RowTally::UncheckAll() {
  checked_ = RowCounts();
  checked_.owner_ = this;
}

void RowTally::Remap(const std::vector<std::uint32_t>& newPosition) {
  for (ResultRow& row : rows_) row.nextOfFile = newPosition[row.nextOfFile];
  for (Slot& slot : slots_)
    if (slot.position != kEmpty) slot.position = newPosition[slot.position];
}

}  // namespace kelvo::ui
