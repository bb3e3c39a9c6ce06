#include "results_model.h"

#include <algorithm>
#include <numeric>

#include "admin_words.h"
#include "row_order.h"
#include "type_words.h"
#include "ui_text.h"

namespace kelvo::ui {

namespace {
// Shorter lists sort at once: well within a frame, and without a thread's start.
constexpr std::size_t kSortAtOnceRows = 20000;

// Discovery order as shown, newest first, so that equal rows keep it.
std::vector<std::uint32_t> NewestFirst(std::size_t count) {
  std::vector<std::uint32_t> positions(count);
  for (std::size_t i = 0; i < count; ++i) positions[i] = static_cast<std::uint32_t>(count - 1 - i);
  return positions;
}
}  // namespace

ResultsModel::ResultsModel(QObject* parent) : QAbstractTableModel(parent) {}

ResultsModel::~ResultsModel() {
  StopSorting();
}

int ResultsModel::rowCount(const QModelIndex& parent) const {
  if (parent.isValid()) return 0;
  return static_cast<int>(
      std::min<std::size_t>(Filtered() ? visible_.size() : rows_.size(), INT32_MAX));
}

int ResultsModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kColumnCount;
}

std::size_t ResultsModel::Position(int displayRow) const {
  const auto row = static_cast<std::size_t>(displayRow);
  return Filtered() ? visible_[row] : FullPosition(row);
}

QString ResultsModel::Text(int displayRow, int column) const {
  const ResultRow& row = Shown(displayRow);
  switch (column) {
    case kName:
      return ToQString(FileNameOf(row));
    case kPath:
      return ToQString(PathOf(row));
    case kType:
      return row.labelIndex < labelTexts_.size() ? labelTexts_[row.labelIndex] : QString();
    case kSize:
      return row.Has(ResultRow::kHasSize) ? QString::number(row.size) : QString();
    default:
      return {};
  }
}

QVariant ResultsModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount()) return {};
  switch (role) {
    case Qt::DisplayRole:
      return Text(index.row(), index.column());
    case Qt::ToolTipRole: {
      const ResultRow& row = Shown(index.row());
      QString tip = ToQString(PathOf(row)) + QLatin1Char('\n') +
                    ListedByWords(row.rule, row.Has(ResultRow::kEmptyFolder));
      if (row.Has(ResultRow::kHasSize))
        tip += QLatin1Char('\n') +
               tr("长度 %1 字节, 占用磁盘 %2 字节").arg(row.size).arg(row.bytesOnDisk);
      if (row.links > 1) tip += QLatin1Char('\n') + tr("此文件共有 %1 个名字").arg(row.links);
      if (row.Has(ResultRow::kNeedsAdmin)) tip += QLatin1Char('\n') + NeedsAdminText();
      return tip;
    }
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

void ResultsModel::SetRowChecked(std::size_t position, bool checked) {
  ResultRow& row = rows_[position];
  if (row.Has(ResultRow::kChecked) == checked) return;
  row.Set(ResultRow::kChecked, checked);
  tally_.Tick(static_cast<std::uint32_t>(position), checked);
  checkedRows_ += checked ? 1 : static_cast<std::size_t>(-1);
}

std::uint32_t ResultsModel::DeviceIndex(std::uint64_t device) {
  // Few disks, and rows come disk by disk: the last one found is nearly always the one.
  if (lastDevice_ < devices_.size() && devices_[lastDevice_] == device)
    return static_cast<std::uint32_t>(lastDevice_);
  const auto it = std::find(devices_.begin(), devices_.end(), device);
  lastDevice_ = static_cast<std::size_t>(it - devices_.begin());
  if (it == devices_.end()) devices_.push_back(device);
  return static_cast<std::uint32_t>(lastDevice_);
}

void ResultsModel::SetChecked(int displayRow, bool checked) {
  SetRowChecked(Position(displayRow), checked);
  const QModelIndex i = index(displayRow, kName);
  emit dataChanged(i, i, {Qt::CheckStateRole});
  emit checksChanged();
}

void ResultsModel::SetRangeChecked(int first, int last, bool checked) {
  first = std::max(first, 0);
  last = std::min(last, rowCount() - 1);
  if (first > last) return;
  for (int r = first; r <= last; ++r) SetRowChecked(Position(r), checked);
  emit dataChanged(index(first, kName), index(last, kName), {Qt::CheckStateRole});
  emit checksChanged();
}

void ResultsModel::SetKindChecked(int rule, bool emptyFolder, bool checked) {
  for (std::size_t p = 0; p < rows_.size(); ++p)
    if (rows_[p].rule == rule && rows_[p].Has(ResultRow::kEmptyFolder) == emptyFolder)
      SetRowChecked(p, checked);
  if (rowCount() > 0)
    emit dataChanged(index(0, kName), index(rowCount() - 1, kName), {Qt::CheckStateRole});
  emit checksChanged();
}

void ResultsModel::SetDiskChecked(std::uint64_t device, bool checked) {
  for (std::size_t p = 0; p < rows_.size(); ++p)
    if ((rows_[p].Has(ResultRow::kHasIdentity) ? DeviceOf(rows_[p]) : UINT64_MAX) == device)
      SetRowChecked(p, checked);
  if (rowCount() > 0)
    emit dataChanged(index(0, kName), index(rowCount() - 1, kName), {Qt::CheckStateRole});
  emit checksChanged();
}

bool ResultsModel::InScope(const ResultRow& row, std::uint64_t device) const {
  switch (scope_.kind) {
    case RowScope::Kind::kKind:
      return row.rule == scope_.rule && row.Has(ResultRow::kEmptyFolder) == scope_.emptyFolder;
    case RowScope::Kind::kDisk:
      return (row.Has(ResultRow::kHasIdentity) ? device : UINT64_MAX) == scope_.device;
    default:
      return true;
  }
}

void ResultsModel::SetScope(const RowScope& scope) {
  if (scope == scope_) return;
  beginResetModel();
  scope_ = scope;
  RebuildVisible();
  endResetModel();
  emit totalsChanged();
}

bool ResultsModel::Matches(NativeStringView path, std::uint32_t labelIndex) const {
  return PathMatches(path) || LabelMatches(labelIndex);
}

bool ResultsModel::PathMatches(NativeStringView path) const {
  if (filter_.isEmpty()) return true;
  if (filterNative_.empty()) return false;
  const auto fold = [](NativeChar c) {
    return c >= 'A' && c <= 'Z' ? static_cast<NativeChar>(c - 'A' + 'a') : c;
  };
  return std::search(path.begin(), path.end(), filterNative_.begin(), filterNative_.end(),
                     [&](NativeChar a, NativeChar b) { return fold(a) == b; }) != path.end();
}

bool ResultsModel::LabelMatches(std::uint32_t labelIndex) const {
  return labelIndex < labelMatches_.size() && labelMatches_[labelIndex];
}

void ResultsModel::RebuildVisible() {
  visible_.clear();
  if (!Filtered()) {
    visible_.shrink_to_fit();
    return;
  }
  // The rules that list one file leave neighbouring rows on one stored path: it is searched once.
  PathArena::Ref lastPath = 0;
  std::uint32_t lastLength = UINT32_MAX;
  bool lastHit = false;
  for (std::size_t i = 0; i < rows_.size(); ++i) {
    const std::size_t p = FullPosition(i);
    const ResultRow& row = rows_[p];
    if (!InScope(row, DeviceOf(row))) continue;
    if (row.path != lastPath || row.pathLength != lastLength) {
      lastPath = row.path;
      lastLength = row.pathLength;
      lastHit = PathMatches(PathOf(row));
    }
    if (lastHit || LabelMatches(row.labelIndex)) visible_.push_back(static_cast<std::uint32_t>(p));
  }
}

void ResultsModel::SetFilter(const QString& text) {
  if (text == filter_) return;
  beginResetModel();
  filter_ = text;
  filterNative_.clear();
  for (NativeChar c : ToNative(text))
    filterNative_.push_back(c >= 'A' && c <= 'Z' ? static_cast<NativeChar>(c - 'A' + 'a') : c);
  LabelsMatch();
  RebuildVisible();
  endResetModel();
}

void ResultsModel::LabelsMatch() {
  // Few labels for many rows: each label is looked at once.
  labelMatches_.assign(labelTexts_.size(), 0);
  for (std::size_t i = 0; i < labelTexts_.size(); ++i)
    labelMatches_[i] = !filter_.isEmpty() && labelTexts_[i].contains(filter_, Qt::CaseInsensitive);
}

void ResultsModel::AppendBatch(RowBatch&& batch) {
  for (auto& label : batch.newLabels) {
    const QString text = ToQString(label);
    labelTexts_.push_back(TypeWords(text));
    // The type column sorts on what it shows; untranslated labels keep their exact bytes.
    sortLabels_.push_back(labelTexts_.back() == text ? label : ToNative(labelTexts_.back()));
    labels_.push_back(std::move(label));
  }
  for (auto& root : batch.newRoots) roots_.push_back(std::move(root));
  if (!batch.newLabels.empty()) LabelsMatch();
  if (batch.rows.empty()) return;
  const std::size_t first = rows_.size();
  const std::size_t n = batch.rows.size();
  // New rows go on top of the shown ones, the filter's too.
  std::vector<std::uint32_t> shown;
  if (Filtered()) {
    for (std::size_t i = n; i-- > 0;)
      if (InScope(batch.rows[i].row, batch.rows[i].device) &&
          Matches(batch.rows[i].fullPath, batch.rows[i].row.labelIndex))
        shown.push_back(static_cast<std::uint32_t>(first + i));
  }
  const std::size_t inserted = Filtered() ? shown.size() : n;
  if (inserted) beginInsertRows(QModelIndex(), 0, static_cast<int>(inserted - 1));
  for (FoundRow& found : batch.rows) {
    ResultRow& row = rows_.emplace_back(found.row);
    row.path = paths_.Store(found.fullPath);
    if (row.Has(ResultRow::kHasIdentity)) row.deviceIndex = DeviceIndex(found.device);
    if (row.Has(ResultRow::kNeedsAdmin)) ++adminRows_;
    tally_.Add(static_cast<std::uint32_t>(rows_.size() - 1));
    if (row.Has(ResultRow::kChecked)) ++checkedRows_;
  }
  if (Sorted()) {
    std::vector<std::uint32_t> fresh(n);
    for (std::size_t i = 0; i < n; ++i) fresh[i] = static_cast<std::uint32_t>(first + n - 1 - i);
    order_.insert(order_.begin(), fresh.begin(), fresh.end());
  }
  if (!shown.empty()) visible_.insert(visible_.begin(), shown.begin(), shown.end());
  if (inserted) endInsertRows();
  emit totalsChanged();
}

void ResultsModel::Clear() {
  StopSorting();
  const std::size_t n = rows_.size();
  beginResetModel();
  rows_.clear();
  rows_.shrink_to_fit();
  paths_.Clear();
  devices_.clear();
  order_.clear();
  order_.shrink_to_fit();
  visible_.clear();
  sortColumn_ = -1;
  scope_ = RowScope();  // its bar is gone with the rows
  tally_.Clear();
  checkedRows_ = 0;
  adminRows_ = 0;
  endResetModel();
  if (n) emit rowsWithdrawn(n);
  emit totalsChanged();
  emit checksChanged();
}

void ResultsModel::ResetOrder() {
  StopSorting();
  if (!Sorted()) return;
  beginResetModel();
  order_.clear();
  order_.shrink_to_fit();
  sortColumn_ = -1;
  RebuildVisible();
  endResetModel();
}

void ResultsModel::sort(int column, Qt::SortOrder order) {
  StopSorting();
  if (column < 0 || column >= kColumnCount) {
    ResetOrder();
    emit orderChanged();
    return;
  }
  const std::vector<RowSortKey> keys =
      MakeSortKeys(rows_, paths_, rows_.size(), sortLabels_, column);
  std::vector<std::uint32_t> positions = NewestFirst(rows_.size());
  const std::atomic<bool> never{false};
  SortByKeys(keys, positions, order == Qt::DescendingOrder, never);
  ShowSorted(std::move(positions), column, order);
}

void ResultsModel::RequestSort(int column, Qt::SortOrder order) {
  if (column < 0 || column >= kColumnCount || rows_.size() < kSortAtOnceRows) {
    sort(column, order);
    return;
  }
  StopSorting();
  wantedColumn_ = column;
  wantedOrder_ = order;
  const std::uint64_t job = ++sortJob_;
  // The keys point into the rows' paths: no row moves or goes until the sort is over or called off.
  std::vector<RowSortKey> keys = MakeSortKeys(rows_, paths_, rows_.size(), sortLabels_, column);
  sorter_ =
      std::thread([this, job, descending = order == Qt::DescendingOrder, keys = std::move(keys)] {
        std::vector<std::uint32_t> positions = NewestFirst(keys.size());
        if (!SortByKeys(keys, positions, descending, cancelSort_)) return;
        QMetaObject::invokeMethod(
            this,
            [this, job, positions = std::move(positions)]() mutable {
              FinishSort(job, std::move(positions));
            },
            Qt::QueuedConnection);
      });
}

void ResultsModel::FinishSort(std::uint64_t job, std::vector<std::uint32_t> sorted) {
  if (job != sortJob_ || !sorter_.joinable()) return;  // called off meanwhile
  sorter_.join();
  ShowSorted(std::move(sorted), wantedColumn_, wantedOrder_);
}

void ResultsModel::StopSorting() {
  if (!sorter_.joinable()) return;
  cancelSort_.store(true);
  sorter_.join();
  cancelSort_.store(false);
  ++sortJob_;
}

void ResultsModel::ShowSorted(std::vector<std::uint32_t> sorted, int column, Qt::SortOrder order) {
  beginResetModel();
  if (sorted.size() == rows_.size()) {
    order_ = std::move(sorted);
  } else {
    order_.clear();
    order_.reserve(rows_.size());
    for (std::size_t p = rows_.size(); p-- > sorted.size();)
      order_.push_back(static_cast<std::uint32_t>(p));
    order_.insert(order_.end(), sorted.begin(), sorted.end());
  }
  sortColumn_ = column;
  sortOrder_ = order;
  RebuildVisible();
  endResetModel();
  emit orderChanged();
}

void ResultsModel::SetAllChecked(bool checked) {
  if (Filtered()) {
    SetRangeChecked(0, rowCount() - 1, checked);
    return;
  }
  for (auto& row : rows_) row.Set(ResultRow::kChecked, checked);
  if (checked)
    tally_.CheckAll();
  else
    tally_.UncheckAll();
  checkedRows_ = checked ? rows_.size() : 0;
  if (!rows_.empty())
    emit dataChanged(index(0, kName), index(rowCount() - 1, kName), {Qt::CheckStateRole});
  emit checksChanged();
}

// Hidden rows too: the filter narrows what is shown, not what is ticked.
std::vector<std::size_t> ResultsModel::CheckedBottomUp() const {
  std::vector<std::size_t> out;
  for (std::size_t i = rows_.size(); i-- > 0;) {
    const std::size_t p = FullPosition(i);
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
  const bool resort = Sorting();
  StopSorting();
  beginResetModel();
  std::vector<std::uint32_t> newPosition(rows_.size(), UINT32_MAX);
  const auto removed = static_cast<std::size_t>(std::count(remove.begin(), remove.end(), 1));
  // When many rows go, counting the kept ones afresh as they move reads each row once; taking the
  // leaving ones out one by one reads them and their files' other rows again.
  if (removed * 4 > rows_.size()) {
    MoveKeptRows(remove, newPosition, true);
  } else {
    WithdrawRows(remove);
    MoveKeptRows(remove, newPosition, false);
  }
  if (Sorted()) {
    std::vector<std::uint32_t> order;
    order.reserve(rows_.size());
    for (std::uint32_t p : order_)
      if (newPosition[p] != UINT32_MAX) order.push_back(newPosition[p]);
    order_ = std::move(order);
  }
  if (Filtered()) {
    std::vector<std::uint32_t> visible;
    visible.reserve(visible_.size());
    for (std::uint32_t p : visible_)
      if (newPosition[p] != UINT32_MAX) visible.push_back(newPosition[p]);
    visible_ = std::move(visible);
  }
  endResetModel();
  if (removed) emit rowsWithdrawn(removed);
  emit totalsChanged();
  emit checksChanged();
  if (resort) RequestSort(wantedColumn_, wantedOrder_);
}

void ResultsModel::WithdrawRows(const std::vector<char>& remove) {
  // Ticked rows withdrawn or deleted all at once leave no tick: no need to take them away one by
  // one.
  std::size_t tickedRemoved = 0;
  for (std::size_t p = 0; p < rows_.size(); ++p)
    if (remove[p] && rows_[p].Has(ResultRow::kChecked)) ++tickedRemoved;
  const bool noTickLeft = tickedRemoved == checkedRows_;
  if (noTickLeft) {
    tally_.UncheckAll();
    checkedRows_ = 0;
  }
  for (std::size_t p = 0; p < rows_.size(); ++p) {
    if (!remove[p]) continue;
    ResultRow& row = rows_[p];
    if (noTickLeft) row.Set(ResultRow::kChecked, false);
    tally_.Withdraw(static_cast<std::uint32_t>(p));
    if (row.Has(ResultRow::kChecked)) --checkedRows_;
    if (row.Has(ResultRow::kNeedsAdmin)) --adminRows_;
  }
}

void ResultsModel::MoveKeptRows(const std::vector<char>& remove,
                                std::vector<std::uint32_t>& newPosition, bool recount) {
  // The kept rows' paths move to new blocks in order, a path shared by neighbours still shared.
  PathArena paths;
  std::size_t kept = 0;
  for (std::size_t p = 0; p < rows_.size(); ++p) {
    if (remove[p]) continue;
    newPosition[p] = static_cast<std::uint32_t>(kept);
    ResultRow& row = rows_[kept];
    if (kept != p) row = rows_[p];
    row.path = paths.Store(paths_.View(row.path, row.pathLength));
    ++kept;
  }
  paths_.Swap(paths);
  rows_.resize(kept);
  if (!recount) {
    tally_.Remap(newPosition);
    return;
  }
  // Once the paths are in their new blocks: the tally compares the names of a file's rows.
  tally_.Clear();
  checkedRows_ = 0;
  adminRows_ = 0;
  for (std::size_t p = 0; p < rows_.size(); ++p) {
    tally_.Add(static_cast<std::uint32_t>(p));
    if (rows_[p].Has(ResultRow::kChecked)) ++checkedRows_;
    if (rows_[p].Has(ResultRow::kNeedsAdmin)) ++adminRows_;
  }
}

scan::JunkItem ResultsModel::ItemAt(std::size_t position) const {
  const ResultRow& row = rows_[position];
  return ToJunkItem(row, PathOf(row), DeviceOf(row), labels_, roots_);
}

std::size_t ResultsModel::MemoryBytes() const {
  return rows_.size() * sizeof(ResultRow) +
         (order_.capacity() + visible_.capacity()) * sizeof(std::uint32_t) + tally_.MemoryBytes();
}

}  // namespace kelvo::ui
