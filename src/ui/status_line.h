// The line under the scan's counters: its parts kept apart by a separator, shortened with an
// ellipsis when they do not fit (the tooltip then shows them whole), and its links ("N 个文件夹无法
// 读取", "垃圾分布") always shown whole at the end.
#pragma once

#include <QLabel>
#include <QStringList>
#include <utility>
#include <vector>

namespace kelvo::ui {

class StatusLine : public QLabel {
  Q_OBJECT

 public:
  struct Link {
    QString href;
    QString text;
  };

  explicit StatusLine(QWidget* parent = nullptr);

  // extraTip: more for the tooltip, after the whole line.
  void SetParts(QStringList parts, std::vector<Link> links, QString extraTip = {});
  // The line as it would read with room enough, links included.
  QString FullText() const;
  // Whether the parts had to be shortened.
  bool Elided() const { return elided_; }
  static QString Separator() { return QStringLiteral(" · "); }

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void Render();

  QStringList parts_;
  std::vector<Link> links_;
  QString extraTip_;
  bool elided_ = false;
};

}  // namespace kelvo::ui
