// The results list's context menu for a shown row: tick or untick every row of its kind, open the
// folder that holds it, copy the paths of the chosen rows, and "加入保留列表" with its file or its
// folder.
#pragma once

#include <QMenu>
#include <vector>

#include "keep_list_dialog.h"
#include "platform/native_string.h"
#include "results_model.h"

namespace kelvo::ui {

class RowMenu : public QMenu {
  Q_OBJECT

 public:
  // selectedRows: the shown rows chosen in the list; the paths copied are theirs when the row is
  // one of them. keepList may be null (the menu's keep entries are then disabled).
  RowMenu(ResultsModel& model, int displayRow, std::vector<int> selectedRows,
          KeepListDialog* keepList, QWidget* parent = nullptr);

  // The folder that holds a path, without its trailing separator ("" for a bare name).
  static NativeString FolderOf(NativeString path);
  // What "复制路径" puts on the clipboard: the paths, one per line.
  const QString& CopiedText() const { return copied_; }

 private:
  void AddKeepEntries(const ResultRow& row, NativeString path, KeepListDialog* keepList);

  QString copied_;
};

}  // namespace kelvo::ui
