#include "buttons.h"

#include <QPainter>

namespace kelvo::ui {

PopupButton::PopupButton(const QString& caption, QWidget* parent) : QToolButton(parent) {
  setText(caption);
  setAutoRaise(true);
  setToolButtonStyle(Qt::ToolButtonTextOnly);
  setFocusPolicy(Qt::TabFocus);
}

FlatButton::FlatButton(int index, const QString& caption, QWidget* parent)
    : QToolButton(parent), index_(index) {
  setText(caption);
  setAutoRaise(true);
  setToolButtonStyle(Qt::ToolButtonTextOnly);
  setFocusPolicy(Qt::TabFocus);
  connect(this, &QToolButton::clicked, this, [this] { emit clickedIndex(index_); });
}

void FlatButton::paintEvent(QPaintEvent* event) {
  QToolButton::paintEvent(event);
  if (underMouse() && isEnabled()) return;  // the raised look takes over
  QPainter p(this);
  p.setPen(isEnabled() ? QColor(150, 165, 190) : QColor(200, 205, 215));
  p.drawRect(rect().adjusted(0, 0, -1, -1));
}

}  // namespace kelvo::ui
