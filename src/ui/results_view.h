// The results list as a view: a tick on a chosen row, by the mouse or by Space, ticks or unticks
// every chosen row at once, so that thousands of rows take one key press.
#pragma once

#include <QTableView>
#include <utility>
#include <vector>

#include "results_model.h"

namespace kelvo::ui {

class ResultsView : public QTableView {
  Q_OBJECT

 public:
  explicit ResultsView(QWidget* parent = nullptr);

  // The chosen rows as ranges of shown rows, first to last.
  std::vector<std::pair<int, int>> SelectedRanges() const;
  std::vector<int> SelectedRows() const;
  // Gives every chosen row the tick the given row now has, when that row is chosen.
  void TickSelectionLike(int displayRow);
  // Space: the current row's tick turned over, and every chosen row given it.
  void ToggleSelection();

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  ResultsModel* Results() const { return qobject_cast<ResultsModel*>(model()); }
};

}  // namespace kelvo::ui
