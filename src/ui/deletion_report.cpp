#include "deletion_report.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeySequence>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>
#include <set>

namespace kelvo::ui {

DeletionReport::DeletionReport(const QStringList& summary, std::vector<ReportLine> failures,
                               QWidget* parent)
    : QDialog(parent) {
  setObjectName("deletionReport");
  setWindowTitle(tr("清除垃圾"));
  summary_ = new QLabel(summary.join(QLatin1Char('\n')), this);
  summary_->setObjectName("reportSummary");
  summary_->setWordWrap(true);
  summary_->setTextInteractionFlags(Qt::TextSelectableByMouse);

  list_ = new QTableWidget(static_cast<int>(failures.size()), 2, this);
  list_->setObjectName("reportList");
  list_->setHorizontalHeaderLabels({tr("文件"), tr("原因")});
  list_->verticalHeader()->hide();
  list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  list_->setSelectionBehavior(QAbstractItemView::SelectRows);
  list_->setWordWrap(false);
  list_->setTextElideMode(Qt::ElideMiddle);
  for (int r = 0; r < static_cast<int>(failures.size()); ++r) {
    auto* path = new QTableWidgetItem(failures[static_cast<std::size_t>(r)].path);
    path->setToolTip(failures[static_cast<std::size_t>(r)].path);
    list_->setItem(r, 0, path);
    list_->setItem(r, 1, new QTableWidgetItem(failures[static_cast<std::size_t>(r)].reason));
  }
  list_->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
  list_->horizontalHeader()->setSectionResizeMode(1, QHeaderView::ResizeToContents);

  auto* copy = new QPushButton(tr("复制"), this);
  copy->setObjectName("reportCopy");
  connect(copy, &QPushButton::clicked, this, &DeletionReport::CopyToClipboard);
  auto* close = new QPushButton(tr("关闭"), this);
  close->setDefault(true);
  connect(close, &QPushButton::clicked, this, &QDialog::accept);
  auto* copyKey = new QShortcut(QKeySequence::Copy, list_);
  connect(copyKey, &QShortcut::activated, this, &DeletionReport::CopyToClipboard);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(copy);
  buttons->addWidget(close);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(summary_);
  layout->addWidget(list_, 1);
  layout->addLayout(buttons);
  resize(560, 320);
}

QString DeletionReport::CopyText() const {
  std::set<int> rows;
  for (const QModelIndex& i : list_->selectionModel()->selectedRows()) rows.insert(i.row());
  if (rows.empty())
    for (int r = 0; r < list_->rowCount(); ++r) rows.insert(r);
  QStringList lines;
  for (int r : rows)
    lines << list_->item(r, 0)->text() + QLatin1Char('\t') + list_->item(r, 1)->text();
  return lines.join(QLatin1Char('\n'));
}

void DeletionReport::CopyToClipboard() const {
  QGuiApplication::clipboard()->setText(CopyText());
}

}  // namespace kelvo::ui
