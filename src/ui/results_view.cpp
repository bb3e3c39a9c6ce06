#include "results_view.h"

#include <QKeyEvent>
#include <QStyledItemDelegate>
#include <algorithm>

namespace kelvo::ui {

namespace {
// Passes a tick made with the mouse on to the other chosen rows.
class TickDelegate : public QStyledItemDelegate {
 public:
  explicit TickDelegate(ResultsView* view) : QStyledItemDelegate(view), view_(view) {}

  bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override {
    const QVariant before = index.data(Qt::CheckStateRole);
    if (!QStyledItemDelegate::editorEvent(event, model, option, index)) return false;
    if (index.data(Qt::CheckStateRole) != before) view_->TickSelectionLike(index.row());
    return true;
  }

 private:
  ResultsView* view_;
};
}  // namespace

ResultsView::ResultsView(QWidget* parent) : QTableView(parent) {
  setItemDelegate(new TickDelegate(this));
}

std::vector<std::pair<int, int>> ResultsView::SelectedRanges() const {
  std::vector<std::pair<int, int>> ranges;
  if (!selectionModel()) return ranges;
  for (const QItemSelectionRange& r : selectionModel()->selection())
    ranges.push_back({r.top(), r.bottom()});
  std::sort(ranges.begin(), ranges.end());
  // Ranges of several columns of the same rows come once.
  std::vector<std::pair<int, int>> merged;
  for (const auto& r : ranges) {
    if (!merged.empty() && r.first <= merged.back().second + 1)
      merged.back().second = std::max(merged.back().second, r.second);
    else
      merged.push_back(r);
  }
  return merged;
}

std::vector<int> ResultsView::SelectedRows() const {
  std::vector<int> rows;
  for (const auto& [first, last] : SelectedRanges())
    for (int r = first; r <= last; ++r) rows.push_back(r);
  return rows;
}

void ResultsView::TickSelectionLike(int displayRow) {
  ResultsModel* results = Results();
  if (!results || displayRow < 0 || displayRow >= results->rowCount()) return;
  const auto ranges = SelectedRanges();
  const bool chosen = std::any_of(ranges.begin(), ranges.end(), [displayRow](const auto& r) {
    return displayRow >= r.first && displayRow <= r.second;
  });
  if (!chosen) return;
  const bool checked = results->Checked(displayRow);
  for (const auto& [first, last] : ranges) results->SetRangeChecked(first, last, checked);
}

void ResultsView::ToggleSelection() {
  ResultsModel* results = Results();
  if (!results || results->rowCount() == 0) return;
  const auto ranges = SelectedRanges();
  const int current = currentIndex().isValid() ? currentIndex().row() : -1;
  if (ranges.empty()) {
    if (current >= 0) results->SetChecked(current, !results->Checked(current));
    return;
  }
  // The current row's tick turned over, or the first chosen row's when the current one is not
  // chosen.
  const bool currentChosen = std::any_of(ranges.begin(), ranges.end(), [current](const auto& r) {
    return current >= r.first && current <= r.second;
  });
  const int row = currentChosen ? current : ranges.front().first;
  const bool checked = !results->Checked(row);
  for (const auto& [first, last] : ranges) results->SetRangeChecked(first, last, checked);
}

void ResultsView::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Space && event->modifiers() == Qt::NoModifier) {
    ToggleSelection();
    event->accept();
    return;
  }
  QTableView::keyPressEvent(event);
}

}  // namespace kelvo::ui
