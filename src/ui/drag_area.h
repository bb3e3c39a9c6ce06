// A picture or text by which the frameless window is moved: pressing any mouse button on it starts
// the window system's own move, or moves the window by hand where the platform refuses that.
#pragma once

#include <QLabel>
#include <QPoint>

namespace kelvo::ui {

class DragArea : public QLabel {
  Q_OBJECT

 public:
  using QLabel::QLabel;
  bool manualMoveActive() const { return manual_; }

 signals:
  void doubleClicked();

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  bool manual_ = false;
  QPoint grabOffset_;
};

}  // namespace kelvo::ui
