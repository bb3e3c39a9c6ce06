#include "result_row.h"

#include <algorithm>

namespace kelvo::ui {

// The list holds a million of these: keep it small.
static_assert(sizeof(ResultRow) <= 72);

std::uint32_t TextNumbering::Number(const NativeString& text, std::vector<NativeString>& fresh) {
  auto [it, inserted] = numbers_.try_emplace(text, static_cast<std::uint32_t>(numbers_.size()));
  if (inserted) fresh.push_back(text);
  return it->second;
}

FoundRow MakeRow(scan::JunkItem&& item, TextNumbering& labels, TextNumbering& roots,
                 RowBatch& batch) {
  FoundRow found;
  ResultRow& row = found.row;
  // The name is the path's tail for every row the scan makes; keep a name that is not (an audit
  // row, say) by taking the path's last component, which is what the list shows.
  std::size_t offset = item.fullPath.size() >= item.fileName.size()
                           ? item.fullPath.size() - item.fileName.size()
                           : item.fullPath.size();
  if (NativeStringView(item.fullPath).substr(offset) != item.fileName) {
    auto sep = item.fullPath.find_last_of(platform::kSeparator);
    offset = sep == NativeString::npos ? 0 : sep + 1;
  }
  // No file system has names this long; a row that claims one shows the tail that fits.
  const std::size_t nameLength = std::min<std::size_t>(item.fullPath.size() - offset, UINT16_MAX);
  row.nameLength = static_cast<std::uint16_t>(nameLength);
  row.pathLength = static_cast<std::uint32_t>(item.fullPath.size());
  found.fullPath = std::move(item.fullPath);
  row.labelIndex = labels.Number(item.typeLabel, batch.newLabels);
  row.rootIndex = static_cast<std::uint16_t>(roots.Number(item.root, batch.newRoots));
  row.rule = static_cast<std::uint8_t>(item.rule);
  if (item.size) {
    row.size = *item.size;
    row.Set(ResultRow::kHasSize, true);
  }
  row.bytesOnDisk = item.bytesOnDisk;
  row.links = static_cast<std::uint16_t>(std::min<std::uint32_t>(item.links, UINT16_MAX));
  if (item.identity) {
    found.device = item.identity->device;
    row.inode = item.identity->inode;
    row.type = static_cast<std::uint8_t>(item.identity->type);
    row.Set(ResultRow::kHasIdentity, true);
    row.modified = item.identity->modified.value_or(0);
    row.Set(ResultRow::kHasModified, item.identity->modified.has_value());
    row.born = item.identity->born.value_or(0);
    row.Set(ResultRow::kHasBorn, item.identity->born.has_value());
  }
  row.Set(ResultRow::kEmptyFolder, item.emptyFolder);
  row.Set(ResultRow::kNeedsAdmin, item.needsAdmin);
  return found;
}

scan::JunkItem ToJunkItem(const ResultRow& row, NativeStringView path, std::uint64_t device,
                          const std::vector<NativeString>& labels,
                          const std::vector<NativeString>& roots) {
  scan::JunkItem item;
  item.fullPath = NativeString(path);
  item.fileName =
      NativeString(path.substr(path.size() - std::min<std::size_t>(row.nameLength, path.size())));
  if (row.labelIndex < labels.size()) item.typeLabel = labels[row.labelIndex];
  if (row.rootIndex < roots.size()) item.root = roots[row.rootIndex];
  item.rule = row.rule;
  if (row.Has(ResultRow::kHasSize)) item.size = row.size;
  item.bytesOnDisk = row.bytesOnDisk;
  item.links = row.links;
  if (row.Has(ResultRow::kHasIdentity)) {
    scan::EntryIdentity& id = item.identity.emplace();
    id.device = device;
    id.inode = row.inode;
    id.type = static_cast<platform::EntryType>(row.type);
    if (row.Has(ResultRow::kHasModified)) id.modified = row.modified;
    if (row.Has(ResultRow::kHasBorn)) id.born = row.born;
  }
  item.emptyFolder = row.Has(ResultRow::kEmptyFolder);
  item.needsAdmin = row.Has(ResultRow::kNeedsAdmin);
  return item;
}

}  // namespace kelvo::ui
