#include "results_model.h"

#include <algorithm>
#include <numeric>

#include "type_words.h"
#include "ui_text.h"

namespace kelvo::ui {

ResultsModel::ResultsModel(QObject* parent) : QAbstractTableModel(parent) {}

int ResultsModel::rowCount(const QModelIndex& parent) const {
  if (parent.isValid()) return 0;
  return static_cast<int>(std::min<std::size_t>(rows_.size(), INT32_MAX));
}

int ResultsModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kColumnCount;
}

std::size_t ResultsModel::Position(int displayRow) const {
  const auto row = static_cast<std::size_t>(displayRow);
  return Sorted() ? order_[row] : rows_.size() - 1 - row;
}

QString ResultsModel::Text(int displayRow, int column) const {
  const ResultRow& row = Shown(displayRow);
  switch (column) {
    case kName:
      return ToQString(row.FileName());
    case kPath:
      return ToQString(row.fullPath);
    case kType:
      return row.labelIndex < labelTexts_.size() ? labelTexts_[row.labelIndex] : QString();
    case kSize:
      return row.Has(ResultRow::kHasSize) ? QString::number(row.size) : QString();
    default:
      return {};
  }
}

QVariant ResultsModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || static_cast<std::size_t>(index.row()) >= rows_.size()) return {};
  switch (role) {
    case Qt::DisplayRole:
      return Text(index.row(), index.column());
    case Qt::ToolTipRole:
      return index.column() == kName || index.column() == kPath ? Text(index.row(), kPath)
                                                                : QVariant();
    case Qt::DecorationRole:
      return index.column() == kName ? QVariant(rowIcon_) : QVariant();
    case Qt::CheckStateRole:
      if (index.column() != kName) return {};
      return Checked(index.row()) ? Qt::Checked : Qt::Unchecked;
    default:
      return {};
  }
}

QVariant ResultsModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  static const char* const kHeaders[kColumnCount] = {QT_TR_NOOP("文件名"), QT_TR_NOOP("文件路径"),
                                                     QT_TR_NOOP("文件类型"),
                                                     QT_TR_NOOP("文件大小(字节)")};
  if (section < 0 || section >= kColumnCount) return {};
  return tr(kHeaders[section]);
}

Qt::ItemFlags ResultsModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
  if (index.column() == kName) f |= Qt::ItemIsUserCheckable;
  return f;
}

bool ResultsModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (role != Qt::CheckStateRole || !index.isValid() || index.column() != kName) return false;
  SetChecked(index.row(), value.toInt() == Qt::Checked);
  return true;
}

void ResultsModel::SetChecked(int displayRow, bool checked) {
  rows_[Position(displayRow)].Set(ResultRow::kChecked, checked);
  const QModelIndex i = index(displayRow, kName);
  emit dataChanged(i, i, {Qt::CheckStateRole});
}

void ResultsModel::AppendBatch(RowBatch&& batch) {
  for (auto& label : batch.newLabels) {
    labelTexts_.push_back(TypeWords(ToQString(label)));
    labels_.push_back(std::move(label));
  }
  for (auto& root : batch.newRoots) roots_.push_back(std::move(root));
  if (batch.rows.empty()) return;
  const std::size_t first = rows_.size();
  const std::size_t n = batch.rows.size();
  beginInsertRows(QModelIndex(), 0, static_cast<int>(n - 1));
  for (auto& row : batch.rows) {
    if (row.Has(ResultRow::kHasSize)) totalBytes_ += row.size;
    rows_.push_back(std::move(row));
  }
  if (Sorted()) {
    std::vector<std::uint32_t> fresh(n);
    for (std::size_t i = 0; i < n; ++i) fresh[i] = static_cast<std::uint32_t>(first + n - 1 - i);
    order_.insert(order_.begin(), fresh.begin(), fresh.end());
  }
  endInsertRows();
  emit totalsChanged();
}

void ResultsModel::Clear() {
  const std::size_t n = rows_.size();
  beginResetModel();
  rows_.clear();
  rows_.shrink_to_fit();
  order_.clear();
  order_.shrink_to_fit();
  sortColumn_ = -1;
  totalBytes_ = 0;
  endResetModel();
  if (n) emit rowsWithdrawn(n);
  emit totalsChanged();
}

void ResultsModel::ResetOrder() {
  if (!Sorted()) return;
  beginResetModel();
  order_.clear();
  order_.shrink_to_fit();
  sortColumn_ = -1;
  endResetModel();
}

void ResultsModel::SortPositions(std::vector<std::uint32_t>& positions, int column,
                                 Qt::SortOrder order) const {
  auto less = [&](std::uint32_t a, std::uint32_t b) {
    const ResultRow& x = rows_[a];
    const ResultRow& y = rows_[b];
    switch (column) {
      case kName:
        return x.FileName() < y.FileName();
      case kPath:
        return x.fullPath < y.fullPath;
      case kType:
        return labels_[x.labelIndex] < labels_[y.labelIndex];
      default: {
        const bool xs = x.Has(ResultRow::kHasSize), ys = y.Has(ResultRow::kHasSize);
        if (xs != ys) return !xs;
        return x.size < y.size;
      }
    }
  };
  if (order == Qt::AscendingOrder)
    std::stable_sort(positions.begin(), positions.end(), less);
  else
    std::stable_sort(positions.begin(), positions.end(),
                     [&](std::uint32_t a, std::uint32_t b) { return less(b, a); });
}

void ResultsModel::sort(int column, Qt::SortOrder order) {
  if (column < 0 || column >= kColumnCount) {
    ResetOrder();
    return;
  }
  beginResetModel();
  std::vector<std::uint32_t> positions(rows_.size());
  // Start from the order of discovery as shown, newest first, so that equal rows keep it.
  for (std::size_t i = 0; i < positions.size(); ++i)
    positions[i] = static_cast<std::uint32_t>(rows_.size() - 1 - i);
  SortPositions(positions, column, order);
  order_ = std::move(positions);
  sortColumn_ = column;
  sortOrder_ = order;
  endResetModel();
}

void ResultsModel::SetAllChecked(bool checked) {
  for (auto& row : rows_) row.Set(ResultRow::kChecked, checked);
  if (!rows_.empty())
    emit dataChanged(index(0, kName), index(rowCount() - 1, kName), {Qt::CheckStateRole});
}

std::vector<std::size_t> ResultsModel::CheckedBottomUp() const {
  std::vector<std::size_t> out;
  for (int r = rowCount() - 1; r >= 0; --r) {
    const std::size_t p = Position(r);
    if (rows_[p].Has(ResultRow::kChecked)) out.push_back(p);
  }
  return out;
}

std::size_t ResultsModel::RemoveChecked() {
  std::vector<char> remove(rows_.size(), 0);
  std::size_t n = 0;
  for (std::size_t p = 0; p < rows_.size(); ++p)
    if (rows_[p].Has(ResultRow::kChecked)) {
      remove[p] = 1;
      ++n;
    }
  if (n) Compact(remove);
  return n;
}

void ResultsModel::RemoveRows(std::vector<std::size_t> positions) {
  std::vector<char> remove(rows_.size(), 0);
  for (std::size_t p : positions)
    if (p < rows_.size()) remove[p] = 1;
  Compact(remove);
}

void ResultsModel::Compact(const std::vector<char>& remove) {
  beginResetModel();
  std::vector<std::uint32_t> newPosition(rows_.size(), UINT32_MAX);
  std::size_t kept = 0;
  std::size_t removed = 0;
  for (std::size_t p = 0; p < rows_.size(); ++p) {
    if (remove[p]) {
      if (rows_[p].Has(ResultRow::kHasSize)) totalBytes_ -= rows_[p].size;
      ++removed;
      continue;
    }
    newPosition[p] = static_cast<std::uint32_t>(kept);
    if (kept != p) rows_[kept] = std::move(rows_[p]);
    ++kept;
  }
  rows_.resize(kept);
  if (Sorted()) {
    std::vector<std::uint32_t> order;
    order.reserve(kept);
    for (std::uint32_t p : order_)
      if (newPosition[p] != UINT32_MAX) order.push_back(newPosition[p]);
    order_ = std::move(order);
  }
  endResetModel();
  if (removed) emit rowsWithdrawn(removed);
  emit totalsChanged();
}

scan::JunkItem ResultsModel::ItemAt(std::size_t position) const {
  return ToJunkItem(rows_[position], labels_, roots_);
}

std::size_t ResultsModel::MemoryBytes() const {
  return rows_.size() * sizeof(ResultRow) + order_.capacity() * sizeof(std::uint32_t);
}

}  // namespace kelvo::ui
