#include "buttons.h"

#include <QPainter>

namespace kelvo::ui {
namespace {

// Flat buttons have no frame of their own to show the focus on.
void DrawFocusMark(QWidget& button) {
  if (!button.hasFocus()) return;
  QPainter p(&button);
  QPen pen(button.palette().color(QPalette::Highlight));
  pen.setStyle(Qt::DotLine);
  p.setPen(pen);
  p.drawRect(button.rect().adjusted(2, 2, -3, -3));
}

}  // namespace

PopupButton::PopupButton(const QString& caption, QWidget* parent) : QToolButton(parent) {
  setText(caption);
  setAutoRaise(true);
  setToolButtonStyle(Qt::ToolButtonTextOnly);
  setFocusPolicy(Qt::TabFocus);
}

void PopupButton::paintEvent(QPaintEvent* event) {
  QToolButton::paintEvent(event);
  DrawFocusMark(*this);
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
  if (!underMouse() || !isEnabled()) {  // else the raised look takes over
    QPainter p(this);
    p.setPen(isEnabled() ? QColor(150, 165, 190) : QColor(200, 205, 215));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
  }
  DrawFocusMark(*this);
}

}  // namespace kelvo::ui
