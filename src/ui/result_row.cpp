#include "result_row.h"

#include <algorithm>

namespace kelvo::ui {

scan::TallyRow TallyRowOf(const ResultRow& row, NativeStringView root) {
  scan::TallyRow t;
  t.rule = row.rule;
  t.emptyFolder = row.Has(ResultRow::kEmptyFolder);
  t.identified = row.Has(ResultRow::kHasIdentity);
  t.device = row.device;
  t.inode = row.inode;
  t.bytes = row.Has(ResultRow::kHasSize) ? row.size : 0;
  t.bytesOnDisk = row.bytesOnDisk;
  t.links = row.links;
  // Only the names of a hard-linked file need telling apart; hashing every path would cost a
  // million hashes on a million rows.
  t.pathHash = row.links > 1 ? std::hash<NativeString>()(row.fullPath) : 0;
  t.root = root;
  return t;
}

std::uint32_t TextNumbering::Number(const NativeString& text, std::vector<NativeString>& fresh) {
  auto [it, inserted] = numbers_.try_emplace(text, static_cast<std::uint32_t>(numbers_.size()));
  if (inserted) fresh.push_back(text);
  return it->second;
}

ResultRow MakeRow(scan::JunkItem&& item, TextNumbering& labels, TextNumbering& roots,
                  RowBatch& batch) {
  ResultRow row;
  // The name is the path's tail for every row the scan makes; keep a name that is not (an audit
  // row, say) by taking the path's last component, which is what the list shows.
  std::size_t offset = item.fullPath.size() >= item.fileName.size()
                           ? item.fullPath.size() - item.fileName.size()
                           : item.fullPath.size();
  if (NativeStringView(item.fullPath).substr(offset) != item.fileName) {
    auto sep = item.fullPath.find_last_of(platform::kSeparator);
    offset = sep == NativeString::npos ? 0 : sep + 1;
  }
  row.fullPath = std::move(item.fullPath);
  row.fullPath.shrink_to_fit();
  row.nameOffset = static_cast<std::uint32_t>(offset);
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
    row.device = item.identity->device;
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
  return row;
}

scan::JunkItem ToJunkItem(const ResultRow& row, const std::vector<NativeString>& labels,
                          const std::vector<NativeString>& roots) {
  scan::JunkItem item;
  item.fileName = NativeString(row.FileName());
  item.fullPath = row.fullPath;
  if (row.labelIndex < labels.size()) item.typeLabel = labels[row.labelIndex];
  if (row.rootIndex < roots.size()) item.root = roots[row.rootIndex];
  item.rule = row.rule;
  if (row.Has(ResultRow::kHasSize)) item.size = row.size;
  item.bytesOnDisk = row.bytesOnDisk;
  item.links = row.links;
  if (row.Has(ResultRow::kHasIdentity)) {
    scan::EntryIdentity& id = item.identity.emplace();
    id.device = row.device;
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
