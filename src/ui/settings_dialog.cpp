#include "settings_dialog.h"

#include <QMessageBox>

#include "error_words.h"
#include "scan/locations.h"
#include "settings/settings_file.h"
#include "skipped_failure.h"
#include "type_words.h"
#include "ui_fonts.h"

namespace kelvo::ui {

SettingsDialog::SettingsDialog(LiveOptions& options, const Services& services, QWidget* parent)
    : QDialog(parent), options_(options), services_(services) {
  setObjectName("Dialog");
  setWindowTitle(tr("扫描设置"));
  setFixedSize(470, 288);
  setModal(false);
  QPalette gray = palette();
  gray.setColor(QPalette::Window, QColor(224, 224, 224));
  gray.setColor(QPalette::Button, QColor(224, 224, 224));
  setPalette(gray);
  setAutoFillBackground(true);

  frame_ = new QGroupBox(tr("扫描类型选择"), this);
  frame_->setObjectName("Frame1");
  frame_->setGeometry(8, 4, 454, 190);
  frame_->setFont(UiFont(10.5));
  frame_->setStyleSheet(FrameStyle("Frame1", "rgb(224,224,224)"));

  list_ = new QListWidget(frame_);
  list_->setObjectName("List1");
  list_->setGeometry(10, 24, 330, 156);
  list_->setFont(UiFont(10.5));
  for (std::size_t k = 0; k < scan::kPatternTexts.size(); ++k) {
    auto* item = new QListWidgetItem(PatternWords(scan::kPatternTexts[k]), list_);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    item->setCheckState(Qt::Unchecked);
  }
  connect(list_, &QListWidget::itemChanged, this, [this](QListWidgetItem* item) {
    options_.SetPattern(list_->row(item), item->checkState() == Qt::Checked);
  });

  const char* const captions[5] = {QT_TR_NOOP("推荐"), QT_TR_NOOP("全选"), QT_TR_NOOP("确定所选"),
                                   QT_TR_NOOP("应用"), QT_TR_NOOP("返回")};
  for (int i = 0; i < 5; ++i) {
    auto* b = new FlatButton(i, tr(captions[i]), i < 3 ? static_cast<QWidget*>(frame_) : this);
    b->setObjectName(QStringLiteral("UserControl1%1").arg(i + 1));
    b->setFont(UiFont(9));
    buttons_[static_cast<std::size_t>(i)] = b;
  }
  buttons_[0]->setGeometry(352, 34, 90, 28);
  buttons_[1]->setGeometry(352, 74, 90, 28);
  buttons_[2]->setGeometry(352, 114, 90, 28);
  buttons_[3]->setGeometry(292, 265, 80, 22);
  buttons_[4]->setGeometry(380, 265, 80, 22);
  connect(buttons_[0], &QToolButton::clicked, this, &SettingsDialog::ApplyRecommended);
  connect(buttons_[1], &QToolButton::clicked, this, &SettingsDialog::SelectAll);
  connect(buttons_[2], &QToolButton::clicked, this, &SettingsDialog::SaveList);
  // "应用" has no action.
  connect(buttons_[4], &QToolButton::clicked, this, &QWidget::hide);

  const char* const checkCaptions[4] = {QT_TR_NOOP("开机自动删除系统临时文件目录中垃圾文件"),
                                        QT_TR_NOOP("扫描所有的Temp临时文件夹"),
                                        QT_TR_NOOP("扫描零字节文件和空文件夹(危险,不推荐)"),
                                        QT_TR_NOOP("扫描冗余的DLL或组件文件(危险,不推荐)")};
  for (int i = 0; i < 4; ++i) {
    auto* c = new QCheckBox(tr(checkCaptions[i]), this);
    c->setObjectName(QStringLiteral("Check%1").arg(i + 1));
    c->setGeometry(14, 198 + 21 * i, 272, 20);
    checks_[static_cast<std::size_t>(i)] = c;
  }
  // Initial states, without any click action.
  checks_[0]->setChecked(true);
  checks_[1]->setChecked(true);
  options_.SetTempFolders(true);
  connect(checks_[0], &QCheckBox::clicked, this, &SettingsDialog::OnCheck1Clicked);
  connect(checks_[1], &QCheckBox::clicked, this, &SettingsDialog::OnCheck2Clicked);
  connect(checks_[1], &QCheckBox::toggled, this, [this](bool on) { options_.SetTempFolders(on); });
  connect(checks_[2], &QCheckBox::toggled, this, [this](bool on) { options_.SetZeroByte(on); });
  connect(checks_[3], &QCheckBox::toggled, this, [this](bool on) { options_.SetAudit(on); });

  // Two options of this program's own, beside the buttons. Package files stay out unless asked
  // for; the confirmation is stored and read back at the next start.
  packageFiles_ = new QCheckBox(tr("扫描软件包的文件(危险)"), this);
  packageFiles_->setObjectName("packageFiles");
  packageFiles_->setGeometry(292, 194, 170, 17);
  packageFiles_->setToolTip(tr("已安装的软件包自带的文件属于系统,默认不列为垃圾;勾选后也列出它们"));
  connect(packageFiles_, &QCheckBox::toggled, this,
          [this](bool on) { options_.SetIncludePackageFiles(on); });
  confirm_ = new QCheckBox(tr("删除前确认"), this);
  confirm_->setObjectName("confirmDeletion");
  confirm_->setGeometry(292, 211, 170, 17);
  if (services_.readIniValue) {
    try {
      confirm_->setChecked(services_.readIniValue(services_.settingsPath(), settings::kCheckSection,
                                                  settings::kConfirmDeletionKey) == "1");
    } catch (...) {
      LogSkippedFailure("Reading the confirmation switch");
    }
  }
  options_.SetConfirmDeletion(confirm_->isChecked());
  connect(confirm_, &QCheckBox::clicked, this, [this](bool on) {
    options_.SetConfirmDeletion(on);
    Write(settings::kCheckSection, settings::kConfirmDeletionKey, on);
  });

  // Deleting into the trash, stored like the confirmation and off by default; the keep-list has
  // a dialog of its own, made now so that the stored list counts from the first scan.
  trash_ = new QCheckBox(tr("删除到回收站"), this);
  trash_->setObjectName("deleteToTrash");
  trash_->setGeometry(292, 228, 170, 17);
  trash_->setToolTip(tr("清除垃圾时把文件移到回收站,可以从那里恢复;不删除它们"));
  if (services_.readIniValue) {
    try {
      trash_->setChecked(services_.readIniValue(services_.settingsPath(), settings::kCheckSection,
                                                settings::kTrashKey) == "1");
    } catch (...) {
      LogSkippedFailure("Reading the trash switch");
    }
  }
  options_.SetTrash(trash_->isChecked());
  connect(trash_, &QCheckBox::clicked, this, [this](bool on) {
    options_.SetTrash(on);
    Write(settings::kCheckSection, settings::kTrashKey, on);
  });
  keepList_ = new KeepListDialog(options_, services_, this);
  keepList_->setWindowFlag(Qt::Window);
  keepButton_ = new FlatButton(5, tr("保留列表"), frame_);
  keepButton_->setObjectName("keepListButton");
  keepButton_->setFont(UiFont(9));
  keepButton_->setGeometry(352, 154, 90, 28);
  connect(keepButton_, &QToolButton::clicked, keepList_, [this] {
    keepList_->show();
    keepList_->raise();
  });

  // The age of a row's file, for every row of the next scan; off at every start, like the other
  // scan options. Without it application caches keep their own 30 days.
  age_ = new QCheckBox(this);
  age_->setObjectName("olderThan");
  age_->setGeometry(292, 246, 18, 16);
  ageDays_ = new QSpinBox(this);
  ageDays_->setObjectName("olderThanDays");
  ageDays_->setGeometry(312, 245, 150, 18);
  ageDays_->setRange(0, 36500);
  ageDays_->setValue(scan::kAppCacheDays);
  ageDays_->setPrefix(tr("只列 "));
  ageDays_->setSuffix(tr(" 天未改的文件"));
  ageDays_->setEnabled(false);
  const QString ageTip =
      tr("只列出这么多天内没有修改过的文件;不勾选时应用缓存只列出 30 天未改的文件");
  age_->setToolTip(ageTip);
  ageDays_->setToolTip(ageTip);
  auto publishAge = [this] {
    options_.SetOlderThanDays(age_->isChecked() ? ageDays_->value() : -1);
  };
  connect(age_, &QCheckBox::toggled, ageDays_, &QWidget::setEnabled);
  connect(age_, &QCheckBox::toggled, this, publishAge);
  connect(ageDays_, &QSpinBox::valueChanged, this, publishAge);

  ApplyRecommended();
}

bool SettingsDialog::PatternTicked(int index) const {
  return list_->item(index)->checkState() == Qt::Checked;
}

void SettingsDialog::ApplyRecommended() {
  for (int k = 0; k < list_->count() && k < scan::kPatternCount; ++k) {
    switch (scan::kRecommendedPatterns[static_cast<std::size_t>(k)]) {
      case scan::Recommended::kTick:
        list_->item(k)->setCheckState(Qt::Checked);
        break;
      case scan::Recommended::kClear:
        list_->item(k)->setCheckState(Qt::Unchecked);
        break;
      case scan::Recommended::kKeep:
        break;
    }
  }
}

void SettingsDialog::SelectAll() {
  for (int k = 0; k < list_->count(); ++k) list_->item(k)->setCheckState(Qt::Checked);
}

void SettingsDialog::SaveList() {
  const int count = list_->count();
  const NativeString path = services_.settingsPath();
  for (int k = 0; k < count; ++k) {
    const std::string key = settings::PatternListKey(k);
    const bool ticked = list_->item(k)->checkState() == Qt::Checked;
    try {
      services_.writeIniValue(path, settings::kPatternListSection, key, ticked ? "1" : "0");
    } catch (...) {
      LogSkippedFailure("Writing a pattern switch");
      // One entry failing does not stop the others.
    }
  }
}

void SettingsDialog::Write(std::string_view section, std::string_view key, bool on) {
  services_.writeIniValue(services_.settingsPath(), section, key, on ? "1" : "0");
}

void SettingsDialog::OnCheck1Clicked(bool ticked) {
  if (ticked) {
    std::error_code ec;
    QString doneBy;
    try {
      if (services_.bootCleanupDoneBy) doneBy = services_.bootCleanupDoneBy();
    } catch (...) {
      LogSkippedFailure("Asking who did the boot cleanup");
    }
    if (!doneBy.isEmpty()) {
      // The system already empties the folder at boot; a line of ours would only hide its rule.
      auto* box = new QMessageBox(QMessageBox::Information, tr("扫描设置"),
                                  tr("系统已在每次开机时清空临时文件目录,由这条规则完成:\n%1\n"
                                     "Kelvo 不再写入自己的规则。")
                                      .arg(doneBy),
                                  QMessageBox::Ok, this);
      box->setObjectName("bootCleanupDoneBy");
      box->setAttribute(Qt::WA_DeleteOnClose);
      box->open();
      Write(settings::kCheckSection, settings::kBootCleanupKey, ticked);
      return;
    }
    try {
      ec = services_.writeBootCleanup();
    } catch (...) {
      LogSkippedFailure("Writing the boot cleanup");
      ec = std::make_error_code(std::errc::io_error);
    }
    if (ec) {
      const QString file = services_.bootFileName ? services_.bootFileName() : QString();
      auto* box = new QMessageBox(
          QMessageBox::Warning, tr("扫描设置"),
          tr("开机自动清理未能写入启动文件%1:%2。")
              .arg(file.isEmpty() ? QString() : QStringLiteral(" %1 ").arg(file), ErrorWords(ec)),
          QMessageBox::Ok, this);
      box->setObjectName("bootFileError");
      box->setAttribute(Qt::WA_DeleteOnClose);
      box->open();
    }
  }
  Write(settings::kCheckSection, settings::kBootCleanupKey, ticked);
}

void SettingsDialog::OnCheck2Clicked(bool ticked) {
  Write(settings::kCheckSection, settings::kAllTempFoldersKey, ticked);
}

}  // namespace kelvo::ui
