// "垃圾分布": the bars of the junk per kind and per disk, redrawn as rows arrive (at most a few
// times a second), a click on a bar ticking its rows (unticking them when all are ticked) or, as
// the user chooses, narrowing the list to them.
#pragma once

#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QWidget>
#include <vector>

#include "results_model.h"
#include "summary_model.h"

namespace kelvo::ui {

// The bars, drawn; one line each.
class SummaryChart : public QWidget {
  Q_OBJECT

 public:
  explicit SummaryChart(QWidget* parent = nullptr);
  void SetBars(std::vector<SummaryBar> bars);
  const std::vector<SummaryBar>& Bars() const { return bars_; }
  // The bar at a point, -1 for none (headings and gaps).
  int BarAt(const QPoint& point) const;
  QRect BarRect(int bar) const;
  QSize sizeHint() const override;

 signals:
  void barClicked(int bar);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  int LineHeight() const;
  // The line of each bar, headings counted.
  int LineOf(int bar) const;

  std::vector<SummaryBar> bars_;
};

class SummaryView : public QDialog {
  Q_OBJECT

 public:
  static QString Title() { return tr("垃圾分布"); }
  static constexpr int kRefreshMs = 300;

  explicit SummaryView(ResultsModel& model, QWidget* parent = nullptr);
  SummaryChart* chart() const { return chart_; }
  // Draws the model's counts now.
  void Refresh();
  // A click on the bar: ticks its rows, or unticks them all when all are ticked.
  void ToggleBar(int bar);
  // A click on the bar: the list shows its rows alone.
  void ShowBarRows(int bar);
  QRadioButton* tickMode() const { return tickMode_; }
  QRadioButton* showMode() const { return showMode_; }
  QPushButton* showAll() const { return showAll_; }

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  ResultsModel& model_;
  SummaryChart* chart_ = nullptr;
  QLabel* total_ = nullptr;
  QRadioButton* tickMode_ = nullptr;
  QRadioButton* showMode_ = nullptr;
  QPushButton* showAll_ = nullptr;
  QTimer timer_;
  bool dirty_ = true;
};

}  // namespace kelvo::ui
