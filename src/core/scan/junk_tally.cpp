#include "scan/junk_tally.h"

#include <algorithm>
#include <functional>

#include "scan/junk_rules.h"

namespace kelvo::scan {

namespace {
// Rows whose file could not be examined: each is a file of its own, on a disk of its own.
constexpr std::uint64_t kUnknownDevice = UINT64_MAX;
}  // namespace

TallyRow TallyRowOf(const JunkItem& item) {
  TallyRow row;
  row.rule = item.rule;
  row.emptyFolder = item.emptyFolder;
  if (item.identity) {
    row.identified = true;
    row.device = item.identity->device;
    row.inode = item.identity->inode;
  }
  row.bytes = item.size.value_or(0);
  row.bytesOnDisk = item.bytesOnDisk;
  row.links = item.links;
  // Only the names of a hard-linked file need telling apart.
  row.pathHash = item.links > 1 ? std::hash<NativeString>()(item.fullPath) : 0;
  row.root = item.root;
  return row;
}

std::string_view TallyKind::Name() const {
  return RuleName(rule, emptyFolder);
}

TallyCounts& JunkTally::KindCounts(int kind) {
  const auto index = static_cast<std::size_t>(kind);
  if (index >= kinds_.size()) kinds_.resize(index + 1);
  return kinds_[index];
}

void JunkTally::Count(TallyCounts& counts, const File& file, int sign) {
  if (sign > 0) {
    counts.files += 1;
    counts.bytes += file.bytes;
    counts.bytesOnDisk += file.bytesOnDisk;
  } else {
    counts.files -= 1;
    counts.bytes -= file.bytes;
    counts.bytesOnDisk -= file.bytesOnDisk;
  }
}

bool JunkTally::ListsKind(const std::vector<Mark>& marks, int kind) {
  return std::any_of(marks.begin(), marks.end(), [kind](const Mark& m) { return m.kind == kind; });
}

bool JunkTally::Frees(const File& file, const std::vector<Mark>* marks) const {
  if (file.links <= 1) return true;
  std::size_t names = 1;
  if (marks) {
    std::vector<std::uint64_t> hashes;
    for (const Mark& m : *marks) hashes.push_back(m.pathHash);
    std::sort(hashes.begin(), hashes.end());
    names = static_cast<std::size_t>(std::unique(hashes.begin(), hashes.end()) - hashes.begin());
  }
  return names >= file.links;
}

void JunkTally::Add(const TallyRow& row) {
  const int kind = KindIndex(row.rule, row.emptyFolder);
  const std::uint64_t device = row.identified ? row.device : kUnknownDevice;
  Disk& disk = disks_[device];
  if (disk.root.empty() || row.root.size() < disk.root.size()) disk.root.assign(row.root);
  const File fresh{row.bytes, row.bytesOnDisk, row.links, 1, kind, row.pathHash};
  if (!row.identified) {
    Count(KindCounts(kind), fresh, +1);
    Count(disk.counts, fresh, +1);
    Count(total_, fresh, +1);
    if (Frees(fresh, nullptr)) freeable_ += fresh.bytesOnDisk;
    return;
  }
  const FileKey key{row.device, row.inode};
  auto [it, inserted] = files_.try_emplace(key, fresh);
  File& file = it->second;
  if (inserted) {
    Count(KindCounts(kind), file, +1);
    Count(disk.counts, file, +1);
    Count(total_, file, +1);
    if (Frees(file, nullptr)) freeable_ += file.bytesOnDisk;
    return;
  }
  std::vector<Mark>& marks = repeated_[key];
  if (marks.empty()) marks.push_back({file.kind, file.pathHash});
  const bool freedBefore = Frees(file, &marks);
  const bool kindIsNew = !ListsKind(marks, kind);
  marks.push_back({kind, row.pathHash});
  ++file.rows;
  if (kindIsNew) Count(KindCounts(kind), file, +1);
  const bool freedAfter = Frees(file, &marks);
  if (freedAfter && !freedBefore) freeable_ += file.bytesOnDisk;
}

void JunkTally::Remove(const TallyRow& row) {
  const int kind = KindIndex(row.rule, row.emptyFolder);
  if (!row.identified) {
    const File gone{row.bytes, row.bytesOnDisk, row.links, 1, kind, row.pathHash};
    Count(KindCounts(kind), gone, -1);
    Count(disks_[kUnknownDevice].counts, gone, -1);
    Count(total_, gone, -1);
    if (Frees(gone, nullptr)) freeable_ -= gone.bytesOnDisk;
    return;
  }
  const FileKey key{row.device, row.inode};
  const auto it = files_.find(key);
  if (it == files_.end()) return;
  File& file = it->second;
  if (file.rows == 1) {
    Count(KindCounts(file.kind), file, -1);
    Count(disks_[row.device].counts, file, -1);
    Count(total_, file, -1);
    if (Frees(file, nullptr)) freeable_ -= file.bytesOnDisk;
    files_.erase(it);
    return;
  }
  std::vector<Mark>& marks = repeated_[key];
  const bool freedBefore = Frees(file, &marks);
  auto mark = std::find_if(marks.begin(), marks.end(), [&](const Mark& m) {
    return m.kind == kind && m.pathHash == row.pathHash;
  });
  if (mark == marks.end())
    mark = std::find_if(marks.begin(), marks.end(), [&](const Mark& m) { return m.kind == kind; });
  if (mark == marks.end()) return;  // never added
  marks.erase(mark);
  --file.rows;
  if (!ListsKind(marks, kind)) Count(KindCounts(kind), file, -1);
  bool freedAfter;
  if (marks.size() == 1) {
    file.kind = marks.front().kind;
    file.pathHash = marks.front().pathHash;
    repeated_.erase(key);
    freedAfter = Frees(file, nullptr);
  } else {
    freedAfter = Frees(file, &marks);
  }
  if (freedBefore && !freedAfter) freeable_ -= file.bytesOnDisk;
}

void JunkTally::Clear() {
  *this = JunkTally();
}

std::vector<JunkTally::KindLine> JunkTally::Kinds() const {
  std::vector<KindLine> lines;
  for (std::size_t i = 0; i < kinds_.size(); ++i)
    if (kinds_[i].files)
      lines.push_back({TallyKind{static_cast<int>(i / 2), i % 2 == 1}, kinds_[i]});
  std::stable_sort(lines.begin(), lines.end(), [](const KindLine& a, const KindLine& b) {
    return a.counts.bytesOnDisk > b.counts.bytesOnDisk;
  });
  return lines;
}

std::vector<JunkTally::DiskLine> JunkTally::Disks() const {
  std::vector<DiskLine> lines;
  for (const auto& [device, disk] : disks_)
    if (disk.counts.files) lines.push_back({device, disk.root, disk.counts});
  std::sort(lines.begin(), lines.end(), [](const DiskLine& a, const DiskLine& b) {
    if (a.counts.bytesOnDisk != b.counts.bytesOnDisk)
      return a.counts.bytesOnDisk > b.counts.bytesOnDisk;
    return a.root < b.root;
  });
  return lines;
}

}  // namespace kelvo::scan
