#include "freed_space.h"

#include <algorithm>

namespace kelvo::ui {

std::vector<NativeString> DisksOf(const std::vector<scan::JunkItem>& items) {
  std::vector<std::uint64_t> devices;
  std::vector<NativeString> disks;
  for (const scan::JunkItem& item : items) {
    if (!item.identity || item.root.empty()) continue;
    if (std::find(devices.begin(), devices.end(), item.identity->device) != devices.end()) continue;
    devices.push_back(item.identity->device);
    disks.push_back(item.root);
  }
  return disks;
}

DeleteFunction FreedSpaceMeter::Wrap(DeleteFunction inner, FreeSpaceFunction freeSpace) {
  if (!inner || !freeSpace) return inner;
  return [inner = std::move(inner), freeSpace = std::move(freeSpace), shared = shared_](
             const std::vector<scan::JunkItem>& items, const DeletionProgressFunction& progress,
             const DeletionChoice& choice) {
    std::vector<DiskFreed> disks;
    for (NativeString& disk : DisksOf(items)) {
      DiskFreed d;
      d.disk = std::move(disk);
      d.before = freeSpace(d.disk);
      disks.push_back(std::move(d));
    }
    auto results = inner(items, progress, choice);
    for (DiskFreed& d : disks) d.after = freeSpace(d.disk);
    std::lock_guard lock(shared->mutex);
    shared->last = std::move(disks);
    return results;
  };
}

std::vector<DiskFreed> FreedSpaceMeter::Last() const {
  std::lock_guard lock(shared_->mutex);
  return shared_->last;
}

}  // namespace kelvo::ui
