// The window's two button kinds: popup buttons of the toolbar row and the flat buttons of the
// results list's row (used as an array with an index). Both are flat and raise while the mouse is
// over them.
#pragma once

#include <QToolButton>

namespace kelvo::ui {

class PopupButton : public QToolButton {
  Q_OBJECT

 public:
  explicit PopupButton(const QString& caption, QWidget* parent = nullptr);

 protected:
  // A dotted mark inside the button while it has the keyboard focus.
  void paintEvent(QPaintEvent* event) override;
};

class FlatButton : public QToolButton {
  Q_OBJECT

 public:
  FlatButton(int index, const QString& caption, QWidget* parent = nullptr);
  int index() const { return index_; }

 signals:
  void clickedIndex(int index);

 protected:
  // A thin outline while the button rests, so that it reads as a button on any backdrop, and a
  // dotted mark inside it while it has the keyboard focus.
  void paintEvent(QPaintEvent* event) override;

 private:
  int index_;
};

}  // namespace kelvo::ui
