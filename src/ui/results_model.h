// The results list: a table over a vector of rows kept in discovery order. The newest row is shown
// on top by index arithmetic, rows arrive in batches, and a sort only adds a permutation that a
// reset drops again. A long list is sorted on a thread of its own while the old order stays shown.
#pragma once

#include <QAbstractTableModel>
#include <QIcon>
#include <atomic>
#include <deque>
#include <optional>
#include <thread>
#include <vector>

#include "path_arena.h"
#include "result_row.h"
#include "row_tally.h"

namespace kelvo::ui {

// The rows of one bar of the summary: a kind (a rule or a location) or a disk.
struct RowScope {
  enum class Kind { kAll, kKind, kDisk };
  Kind kind = Kind::kAll;
  int rule = 0;
  bool emptyFolder = false;
  std::uint64_t device = 0;  // UINT64_MAX: rows whose file was not seen
  QString name;              // as the summary names it
  bool operator==(const RowScope&) const = default;
};

class ResultsModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  enum Column { kName = 0, kPath = 1, kType = 2, kSize = 3, kColumnCount = 4 };

  explicit ResultsModel(QObject* parent = nullptr);
  ~ResultsModel() override;

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;
  // Sorts at once, on this thread.
  void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;
  // Like sort, but a long list is sorted on another thread: the old order stays shown until the
  // new one takes its place. orderChanged follows either way.
  void RequestSort(int column, Qt::SortOrder order);
  bool Sorting() const { return sorter_.joinable(); }
  // The order last asked for: the one shown, or the one being sorted.
  int WantedColumn() const { return Sorting() ? wantedColumn_ : sortColumn_; }
  Qt::SortOrder WantedOrder() const { return Sorting() ? wantedOrder_ : sortOrder_; }

  void SetRowIcon(const QIcon& icon) { rowIcon_ = icon; }

  // New rows go on top, the last of the batch first.
  void AppendBatch(RowBatch&& batch);
  void Clear();
  // Back to the order of discovery, newest on top.
  void ResetOrder();
  bool Sorted() const { return sortColumn_ >= 0; }
  int SortColumn() const { return sortColumn_; }
  Qt::SortOrder SortOrder() const { return sortOrder_; }

  // Ticks or unticks every shown row (all rows, or those the filter lets through).
  void SetAllChecked(bool checked);
  // Ticks or unticks shown rows first..last (display rows, inclusive).
  void SetRangeChecked(int first, int last, bool checked);
  // Ticks or unticks every row of a kind (a rule or a location), shown or not.
  void SetKindChecked(int rule, bool emptyFolder, bool checked);
  // Ticks or unticks every row on a disk (by device; UINT64_MAX: rows whose file was not seen).
  void SetDiskChecked(std::uint64_t device, bool checked);

  // Shows only the rows whose path or type contains the text (ignoring case); "" shows all.
  void SetFilter(const QString& text);
  const QString& Filter() const { return filter_; }
  // Shows only the rows of a kind or a disk (with the text filter, if any); kAll shows all.
  void SetScope(const RowScope& scope);
  const RowScope& Scope() const { return scope_; }
  bool Filtered() const { return !filter_.isEmpty() || scope_.kind != RowScope::Kind::kAll; }

  // Each file once, however many rows list it: all rows, and the ticked ones.
  const RowCounts& Tally() const { return tally_.All(); }
  const RowCounts& CheckedTally() const { return tally_.Checked(); }
  std::size_t CheckedRows() const { return checkedRows_; }
  // Rows only an administrator could remove.
  std::size_t AdminRows() const { return adminRows_; }
  // Withdraws the ticked rows; returns how many.
  std::size_t RemoveChecked();
  // Positions in discovery order of the ticked rows, from the bottom of the list up.
  std::vector<std::size_t> CheckedBottomUp() const;
  // Removes rows by their positions in discovery order.
  void RemoveRows(std::vector<std::size_t> positions);

  std::size_t Size() const { return rows_.size(); }
  // The length of the listed files, each once.
  std::uint64_t TotalBytes() const { return Tally().Total().bytes; }
  std::size_t Position(int displayRow) const;  // discovery-order position of a shown row
  const ResultRow& RowAt(std::size_t position) const { return rows_[position]; }
  const ResultRow& Shown(int displayRow) const { return rows_[Position(displayRow)]; }
  NativeStringView PathOf(const ResultRow& row) const {
    return paths_.View(row.path, row.pathLength);
  }
  NativeStringView FileNameOf(const ResultRow& row) const {
    return PathOf(row).substr(row.pathLength - row.nameLength);
  }
  NativeStringView PathAt(std::size_t position) const { return PathOf(rows_[position]); }
  std::uint64_t DeviceOf(const ResultRow& row) const {
    return row.deviceIndex < devices_.size() ? devices_[row.deviceIndex] : 0;
  }
  bool Checked(int displayRow) const { return Shown(displayRow).Has(ResultRow::kChecked); }
  void SetChecked(int displayRow, bool checked);
  scan::JunkItem ItemAt(std::size_t position) const;
  QString Text(int displayRow, int column) const;
  // The path over the name and path; a row only an administrator may remove says so everywhere.
  std::size_t MemoryBytes() const;  // what the list holds besides the path texts
  std::size_t PathBytes() const { return paths_.Bytes(); }

 signals:
  // Rows left the list (withdrawn, deleted or cleared).
  void rowsWithdrawn(qulonglong count);
  void totalsChanged();
  // Rows were ticked or unticked (or ticked rows left).
  void checksChanged();
  // The rows are shown in another order (sorted, or back to discovery order).
  void orderChanged();

 private:
  // Shows the rows that existed at the sort's start in sorted order, and those found since on top.
  void ShowSorted(std::vector<std::uint32_t> sorted, int column, Qt::SortOrder order);
  void FinishSort(std::uint64_t job, std::vector<std::uint32_t> sorted);
  // Calls off a sort running on another thread and waits for it.
  void StopSorting();
  void Compact(const std::vector<char>& remove);
  // Takes the rows out of the counts one by one.
  void WithdrawRows(const std::vector<char>& remove);
  // Moves the kept rows down over the others; recount: counts them afresh on the way.
  void MoveKeptRows(const std::vector<char>& remove, std::vector<std::uint32_t>& newPosition,
                    bool recount);
  // Display row -> position without the filter.
  std::size_t FullPosition(std::size_t i) const {
    return Sorted() ? order_[i] : rows_.size() - 1 - i;
  }
  bool Matches(NativeStringView path, std::uint32_t labelIndex) const;
  bool PathMatches(NativeStringView path) const;
  bool LabelMatches(std::uint32_t labelIndex) const;
  bool InScope(const ResultRow& row, std::uint64_t device) const;
  void RebuildVisible();
  void LabelsMatch();
  void SetRowChecked(std::size_t position, bool checked);
  std::uint32_t DeviceIndex(std::uint64_t device);

  std::deque<ResultRow> rows_;  // grows without moving what it holds
  PathArena paths_;
  std::vector<std::uint64_t> devices_;  // the disks the rows are on, by deviceIndex
  std::size_t lastDevice_ = 0;
  std::vector<std::uint32_t> order_;  // display row -> position, only while sorted
  std::vector<NativeString> labels_;
  std::vector<NativeString> roots_;
  std::vector<QString> labelTexts_;
  std::vector<NativeString> sortLabels_;  // the shown labels, as the sort compares them
  int sortColumn_ = -1;
  Qt::SortOrder sortOrder_ = Qt::AscendingOrder;
  RowTally tally_{rows_, paths_, devices_, roots_};
  std::size_t checkedRows_ = 0;
  std::size_t adminRows_ = 0;
  QString filter_;
  std::vector<char> labelMatches_;  // by label: the filter's text is in it
  RowScope scope_;
  NativeString filterNative_;           // filter_ in lower case, for the paths (ASCII case folded)
  std::vector<std::uint32_t> visible_;  // display row -> position, while filtered
  QIcon rowIcon_;

  std::thread sorter_;
  std::atomic<bool> cancelSort_{false};
  std::uint64_t sortJob_ = 0;  // the sort whose result is awaited
  int wantedColumn_ = -1;
  Qt::SortOrder wantedOrder_ = Qt::AscendingOrder;
};

}  // namespace kelvo::ui
