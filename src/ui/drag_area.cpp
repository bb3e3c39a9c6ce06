#include "drag_area.h"

#include <QMouseEvent>
#include <QWindow>

namespace kelvo::ui {

void DragArea::mousePressEvent(QMouseEvent* event) {
  // Only the left button moves the window, as with a system title bar.
  if (event->button() != Qt::LeftButton) {
    event->ignore();
    return;
  }
  QWidget* top = window();
  QWindow* handle = top->windowHandle();
  if (handle && handle->startSystemMove()) {
    manual_ = false;
  } else {
    manual_ = true;
    grabOffset_ = event->globalPosition().toPoint() - top->frameGeometry().topLeft();
  }
  event->accept();
}

void DragArea::mouseMoveEvent(QMouseEvent* event) {
  if (manual_ && (event->buttons() & Qt::LeftButton))
    window()->move(event->globalPosition().toPoint() - grabOffset_);
  event->accept();
}

void DragArea::mouseReleaseEvent(QMouseEvent* event) {
  if (!(event->buttons() & Qt::LeftButton)) manual_ = false;
  event->accept();
}

void DragArea::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) emit doubleClicked();
  event->accept();
}

}  // namespace kelvo::ui
