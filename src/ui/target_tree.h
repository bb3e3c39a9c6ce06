// The scan target tree: "扫描硬盘" with one node per fixed drive, then "扫描特殊文件夹" with its
// four special folders, then "扫描常见垃圾位置" with one node per common junk location. Nodes are
// numbered from 1 in the order they are added; a tick on a root is passed to its children, and
// every tick is published to the scan's live options.
#pragma once

#include <QTreeWidget>
#include <vector>

#include "live_options.h"
#include "platform/drives.h"

namespace kelvo::ui {

class TargetTree : public QTreeWidget {
  Q_OBJECT

 public:
  TargetTree(LiveOptions& options, QWidget* parent = nullptr);

  // Builds the nodes once; later calls do nothing.
  void createtv(const std::vector<platform::Drive>& drives);

  int NodeCount() const { return static_cast<int>(nodes_.size()); }
  QTreeWidgetItem* Node(int node) const { return nodes_.at(static_cast<std::size_t>(node - 1)); }
  QString Key(int node) const;
  int ImageOf(int node) const;  // 1 drive, 2 special folder, 3 root
  bool Ticked(int node) const { return Node(node)->checkState(0) == Qt::Checked; }
  void SetTicked(int node, bool on);  // as a click of the user would

 private:
  QTreeWidgetItem* AddNode(QTreeWidgetItem* parent, const QString& key, const QString& text,
                           int image);
  void OnItemChanged(QTreeWidgetItem* item, int column);

  LiveOptions& options_;
  std::vector<QTreeWidgetItem*> nodes_;
  std::vector<NativeString> keys_;
  bool built_ = false;
};

}  // namespace kelvo::ui
