#include "row_menu.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QUrl>
#include <algorithm>

#include "platform/native_path.h"
#include "type_words.h"
#include "ui_text.h"

namespace kelvo::ui {

NativeString RowMenu::FolderOf(NativeString path) {
  return platform::ParentFolder(path);
}

RowMenu::RowMenu(ResultsModel& model, int displayRow, std::vector<int> selectedRows,
                 KeepListDialog* keepList, QWidget* parent)
    : QMenu(parent) {
  setObjectName("rowMenu");
  const ResultRow& row = model.Shown(displayRow);
  const int rule = row.rule;
  const bool emptyFolder = row.Has(ResultRow::kEmptyFolder);
  const QString kind = KindWords(rule, emptyFolder);

  QAction* tickKind = addAction(tr("勾选此类的全部行 (%1)").arg(kind));
  tickKind->setObjectName("tickKind");
  connect(tickKind, &QAction::triggered, this,
          [&model, rule, emptyFolder] { model.SetKindChecked(rule, emptyFolder, true); });
  QAction* untickKind = addAction(tr("取消勾选此类的全部行 (%1)").arg(kind));
  untickKind->setObjectName("untickKind");
  connect(untickKind, &QAction::triggered, this,
          [&model, rule, emptyFolder] { model.SetKindChecked(rule, emptyFolder, false); });
  addSeparator();

  const NativeString folder = FolderOf(NativeString(model.PathOf(row)));
  QAction* open = addAction(tr("打开所在文件夹"));
  open->setObjectName("openFolder");
  open->setEnabled(!folder.empty());
  connect(open, &QAction::triggered, this,
          [folder] { QDesktopServices::openUrl(QUrl::fromLocalFile(ToQString(folder))); });

  // The chosen rows' paths when this row is one of them, else this row's alone.
  if (std::find(selectedRows.begin(), selectedRows.end(), displayRow) == selectedRows.end())
    selectedRows = {displayRow};
  QStringList paths;
  for (int r : selectedRows) paths << ToQString(model.PathOf(model.Shown(r)));
  copied_ = paths.join(QLatin1Char('\n'));
  QAction* copy =
      addAction(paths.size() == 1 ? tr("复制路径") : tr("复制 %1 个路径").arg(paths.size()));
  copy->setObjectName("copyPath");
  connect(copy, &QAction::triggered, this,
          [text = copied_] { QGuiApplication::clipboard()->setText(text); });
  addSeparator();
  AddKeepEntries(row, NativeString(model.PathOf(row)), keepList);
}

void RowMenu::AddKeepEntries(const ResultRow& row, NativeString path, KeepListDialog* list) {
  QMenu* keep = addMenu(tr("加入保留列表"));
  keep->setObjectName("keepMenu");
  path = NativeString(platform::WithoutTrailingSeparators(path));
  const NativeString folder = FolderOf(path);
  const bool isFolder = row.Has(ResultRow::kEmptyFolder);
  QAction* own = keep->addAction(isFolder ? tr("此文件夹: %1").arg(ToQString(path))
                                          : tr("此文件: %1").arg(ToQString(path)));
  own->setObjectName("keepRowEntry");
  connect(own, &QAction::triggered, this, [list, path, isFolder] {
    if (!list) return;
    if (isFolder)
      list->AddFolder(path);
    else
      list->AddFile(path);
  });
  if (!folder.empty()) {
    QAction* parent = keep->addAction(tr("所在文件夹: %1").arg(ToQString(folder)));
    parent->setObjectName("keepRowFolder");
    connect(parent, &QAction::triggered, this, [list, folder] {
      if (list) list->AddFolder(folder);
    });
  }
  keep->setEnabled(list != nullptr);
}

}  // namespace kelvo::ui
