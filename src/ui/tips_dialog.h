// "关于和提示": the thanks and the advice to close other programs before a scan, above every other
// window; its box decides whether it comes back at the next start.
#pragma once

#include <QCheckBox>
#include <QDialog>
#include <QLabel>

#include "buttons.h"
#include "services.h"

namespace kelvo::ui {

class TipsDialog : public QDialog {
  Q_OBJECT

 public:
  explicit TipsDialog(const Services& services, QWidget* parent = nullptr);

  QCheckBox* Check1() const { return check_; }
  FlatButton* OkButton() const { return ok_; }
  QLabel* Text() const { return text_; }

 private:
  const Services& services_;
  QLabel* icon_ = nullptr;
  QLabel* text_ = nullptr;
  QCheckBox* check_ = nullptr;
  FlatButton* ok_ = nullptr;
};

}  // namespace kelvo::ui
