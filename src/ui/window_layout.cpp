#include "window_layout.h"

namespace kelvo::ui {

QRect WindowLayout::Place(const Entry& entry, QSize delta) const {
  QRect r = entry.designed;
  if (entry.anchors & kGrowWidth) r.setWidth(r.width() + delta.width());
  if (entry.anchors & kGrowHeight) r.setHeight(r.height() + delta.height());
  if (entry.anchors & kFollowRight) r.translate(delta.width(), 0);
  if (entry.anchors & kFollowBottom) r.translate(0, delta.height());
  if (entry.anchors & kCentred) r.translate(delta.width() / 2, 0);
  r.setWidth(std::max(r.width(), 0));
  r.setHeight(std::max(r.height(), 0));
  return r;
}

void WindowLayout::Add(QWidget* widget, unsigned anchors) {
  const QSize delta = current_.isValid() ? current_ - designed_ : QSize(0, 0);
  Entry entry{widget, widget->geometry(), anchors};
  // Back to the designed size: undo what Place would do now.
  const QRect moved = Place(entry, delta);
  entry.designed = widget->geometry().translated(widget->geometry().topLeft() - moved.topLeft());
  entry.designed.setSize(widget->geometry().size() * 2 - moved.size());
  for (Entry& e : entries_)
    if (e.widget == widget) {
      e = entry;
      return;
    }
  entries_.push_back(entry);
}

void WindowLayout::Apply(QSize size) {
  current_ = size;
  const QSize delta = size - designed_;
  for (const Entry& e : entries_)
    if (e.widget) e.widget->setGeometry(Place(e, delta));
}

}  // namespace kelvo::ui
