#include "tips_dialog.h"

#include <algorithm>

#include "settings/settings_file.h"
#include "ui_fonts.h"
#include "window_pictures.h"

namespace kelvo::ui {

TipsDialog::TipsDialog(const Services& services, QWidget* parent)
    : QDialog(parent), services_(services) {
  setObjectName("Dialog1");
  setWindowTitle(tr("关于和提示"));
  // Above every other window, set before it is first drawn.
  setWindowFlag(Qt::WindowStaysOnTopHint, true);
  setModal(false);
  setAttribute(Qt::WA_DeleteOnClose);

  icon_ = new QLabel(this);
  icon_->setObjectName("Image1");
  icon_->setPixmap(pictures::TipsIcon());
  icon_->setGeometry(8, 8, 32, 32);

  text_ = new QLabel(this);
  text_->setObjectName("Label1");
  text_->setText(tr(
      "谢谢使用Kelvo 垃圾文件清扫器 2.0本系统为彻底扫描垃圾文件采用了每扫描一种垃圾文件就扫描一次"
      "所选盘符的方法,速度快准确率高.请注意,扫描前一定要关闭所有的应用程序,避免影响扫描工作."));
  text_->setWordWrap(true);
  text_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  text_->setFont(UiFont(8));
  // The designed 70 pixels, or more when the text needs them (a larger font or scale): never cut.
  const int textHeight = std::max(70, text_->heightForWidth(226));
  text_->setGeometry(46, 4, 226, textHeight);
  const int below = 4 + textHeight + 4;

  check_ = new QCheckBox(tr("总是出现该提示"), this);
  check_->setObjectName("Check1");
  check_->setGeometry(8, below, 150, 20);
  check_->setChecked(true);
  connect(check_, &QCheckBox::clicked, this, [this](bool ticked) {
    services_.writeIniValue(services_.settingsPath(), settings::kShowSection, settings::kTipsKey,
                            ticked ? "1" : "0");
  });

  ok_ = new FlatButton(0, tr("确定"), this);
  ok_->setObjectName("UserControl11");
  ok_->setGeometry(198, below - 2, 72, 24);
  setFixedSize(278, below + 26);
  connect(ok_, &QToolButton::clicked, this, &QWidget::close);
}

}  // namespace kelvo::ui
