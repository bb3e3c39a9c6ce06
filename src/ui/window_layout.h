// How the window's controls follow its size: each keeps its designed place at the designed size
// and, as the window grows or shrinks, grows with it or moves along with an edge.
#pragma once

#include <QPointer>
#include <QRect>
#include <QSize>
#include <QWidget>
#include <vector>

namespace kelvo::ui {

class WindowLayout {
 public:
  enum Anchor : unsigned {
    kFixed = 0,
    kGrowWidth = 1,
    kGrowHeight = 2,
    kFollowRight = 4,   // moves with the right edge
    kFollowBottom = 8,  // moves with the bottom edge
    kCentred = 16,      // stays centred across
  };

  explicit WindowLayout(QSize designed) : designed_(designed) {}

  // Remembers the widget's place as it is now, with the window at its present size.
  void Add(QWidget* widget, unsigned anchors);
  // Places every widget for the window's size.
  void Apply(QSize size);
  QSize Designed() const { return designed_; }

 private:
  struct Entry {
    QPointer<QWidget> widget;
    QRect designed;
    unsigned anchors;
  };
  QRect Place(const Entry& entry, QSize delta) const;

  QSize designed_;
  QSize current_;
  std::vector<Entry> entries_;
};

}  // namespace kelvo::ui
