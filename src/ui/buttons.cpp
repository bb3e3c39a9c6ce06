#include "buttons.h"

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

}  // namespace kelvo::ui
