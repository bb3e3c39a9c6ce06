#include "keep_list_dialog.h"

#include <QFileDialog>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QVBoxLayout>
#include <algorithm>

#include "error_words.h"
#include "platform/native_path.h"
#include "skipped_failure.h"
#include "ui_text.h"

namespace kelvo::ui {

using settings::KeepEntry;

KeepListDialog::KeepListDialog(LiveOptions& options, const Services& services, QWidget* parent)
    : QDialog(parent), options_(options), services_(services) {
  setObjectName("keepList");
  setWindowTitle(tr("保留列表"));
  setModal(false);
  auto* note =
      new QLabel(tr("这些文件夹和模式永远不会被扫描或删除。模式中 * 和 ? 只匹配名称中的字符,"
                    "** 可跨越文件夹;不以 / 开头的模式在任何位置都匹配。"),
                 this);
  note->setWordWrap(true);
  entries_ = new QListWidget(this);
  entries_->setObjectName("keepListEntries");
  entries_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  auto* addFolder = new QPushButton(tr("添加文件夹..."), this);
  addFolder->setObjectName("addKeepFolder");
  auto* addPattern = new QPushButton(tr("添加模式..."), this);
  addPattern->setObjectName("addKeepPattern");
  auto* remove = new QPushButton(tr("删除"), this);
  remove->setObjectName("removeKeepEntry");
  auto* close = new QPushButton(tr("关闭"), this);
  connect(addFolder, &QPushButton::clicked, this, &KeepListDialog::PickFolder);
  connect(addPattern, &QPushButton::clicked, this, &KeepListDialog::AskPattern);
  connect(remove, &QPushButton::clicked, this, &KeepListDialog::RemoveSelected);
  connect(close, &QPushButton::clicked, this, &QWidget::hide);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(addFolder);
  buttons->addWidget(addPattern);
  buttons->addWidget(remove);
  buttons->addStretch();
  buttons->addWidget(close);
  readError_ = new QLabel(this);
  readError_->setObjectName("keepListReadError");
  readError_->setWordWrap(true);
  readError_->hide();
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(note);
  layout->addWidget(readError_);
  layout->addWidget(entries_);
  layout->addLayout(buttons);
  resize(520, 320);

  if (services_.readKeepList) Load();
  ShowEntries();
}

bool KeepListDialog::Load() {
  std::error_code ec;
  try {
    auto stored = services_.readKeepList(services_.settingsPath());
    if (stored)
      options_.SetKeepEntries(std::move(*stored));
    else
      ec = stored.error();
  } catch (...) {
    LogSkippedFailure("Reading the keep-list");
    ec = std::make_error_code(std::errc::io_error);
  }
  options_.SetKeepListError(ec);
  readError_->setVisible(bool(ec));
  if (ec)
    readError_->setText(
        tr("保留列表无法读取:%1。在它能读取之前,不删除任何文件。").arg(ErrorWords(ec)));
  return !ec;
}

void KeepListDialog::ShowMessage(const QString& text) {
  auto* box = new QMessageBox(QMessageBox::Warning, tr("保留列表"), text, QMessageBox::Ok, this);
  box->setObjectName("keepListError");
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->open();
}

void KeepListDialog::ShowEntries() {
  entries_->clear();
  for (const KeepEntry& e : options_.KeepEntries())
    entries_->addItem((e.kind == KeepEntry::Kind::kFolder ? tr("文件夹") : tr("模式")) +
                      QStringLiteral("  ") + ToQString(e.text));
}

bool KeepListDialog::Store(std::vector<KeepEntry> entries) {
  std::error_code ec = std::make_error_code(std::errc::function_not_supported);
  try {
    if (services_.writeKeepList) ec = services_.writeKeepList(services_.settingsPath(), entries);
  } catch (...) {
    LogSkippedFailure("Writing the keep-list");
    ec = std::make_error_code(std::errc::io_error);
  }
  if (ec) {
    ShowMessage(tr("保留列表未能保存:%1。").arg(ErrorWords(ec)));
    return false;
  }
  options_.SetKeepEntries(std::move(entries));
  ShowEntries();
  return true;
}

bool KeepListDialog::AddEntry(const KeepEntry& entry) {
  if (entry.text.empty()) return false;
  // An edit of a list that was never read would store it without the entries it holds.
  if (options_.KeepListError() && (!services_.readKeepList || !Load())) {
    ShowMessage(readError_->text());
    return false;
  }
  std::vector<KeepEntry> entries = options_.KeepEntries();
  if (std::find(entries.begin(), entries.end(), entry) != entries.end()) return true;
  entries.push_back(entry);
  return Store(std::move(entries));
}

bool KeepListDialog::AddFolder(NativeStringView folder) {
  NativeString path(folder);
  while (path.size() > 1 && platform::IsSeparator(path.back())) path.pop_back();
  return AddEntry({KeepEntry::Kind::kFolder, path});
}

bool KeepListDialog::AddPattern(const QString& pattern) {
  const NativeString text = ToNative(pattern.trimmed());
  if (const auto flaw = settings::PatternFlawOf(text)) {
    QString why;
    switch (*flaw) {
      case settings::PatternFlaw::kEmpty:
        why = tr("模式是空的");
        break;
      case settings::PatternFlaw::kEmptyComponent:
        why = tr("含有空的路径部分 (//)");
        break;
      case settings::PatternFlaw::kDotComponent:
        why = tr("含有 . 或 .. 路径部分,磁盘上的路径从不含有它们");
        break;
      case settings::PatternFlaw::kUnclosedClass:
        why = tr("[ 没有用 ] 结束");
        break;
    }
    ShowMessage(tr("模式 %1 永远匹配不到任何文件:%2。").arg(pattern.trimmed(), why));
    return false;
  }
  return AddEntry({KeepEntry::Kind::kPattern, text});
}

bool KeepListDialog::AddFile(NativeStringView file) {
  // A pattern that matches only this path: its pattern characters each in a class of their own.
  NativeString literal;
  for (NativeChar c : file) {
    const bool special =
        c == '*' || c == '?' || c == '[' || c == ']' || (platform::kSeparator == '/' && c == '\\');
    if (special) literal += NativeChar('[');
    literal += c;
    if (special) literal += NativeChar(']');
  }
  return AddEntry({KeepEntry::Kind::kPattern, literal});
}

void KeepListDialog::RemoveSelected() {
  if (options_.KeepListError()) return;  // nothing was read, so nothing is shown to remove
  std::vector<KeepEntry> entries = options_.KeepEntries();
  std::vector<int> rows;
  for (const QListWidgetItem* item : entries_->selectedItems()) rows.push_back(entries_->row(item));
  if (rows.empty()) return;
  std::sort(rows.rbegin(), rows.rend());
  for (int row : rows)
    if (row >= 0 && static_cast<std::size_t>(row) < entries.size())
      entries.erase(entries.begin() + row);
  Store(std::move(entries));
}

void KeepListDialog::PickFolder() {
  const QString folder = QFileDialog::getExistingDirectory(this, tr("选择要保留的文件夹"));
  if (folder.isEmpty()) return;
  // Kept paths are compared with the paths on disk, links resolved, as the scan sees them.
  NativeString path = ToNative(folder);
  NativeString canonical;
  if (services_.fileSystem && !services_.fileSystem->ResolveRoot(path, canonical)) path = canonical;
  AddFolder(path);
}

void KeepListDialog::AskPattern() {
  bool ok = false;
  const QString pattern =
      QInputDialog::getText(this, tr("添加模式"), tr("模式 (例如 **/node_modules 或 *.iso):"),
                            QLineEdit::Normal, QString(), &ok);
  if (ok && !pattern.trimmed().isEmpty()) AddPattern(pattern);
}

}  // namespace kelvo::ui
