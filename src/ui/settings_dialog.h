// "扫描设置": the 18 pattern options and four check boxes that a scan reads live. Created hidden at
// start-up and kept, shown or hidden, for the whole run; nothing is read back from the settings
// file.
#pragma once

#include <QCheckBox>
#include <QDialog>
#include <QGroupBox>
#include <QListWidget>
#include <QSpinBox>

#include "buttons.h"
#include "keep_list_dialog.h"
#include "live_options.h"
#include "services.h"

namespace kelvo::ui {

class SettingsDialog : public QDialog {
  Q_OBJECT

 public:
  SettingsDialog(LiveOptions& options, const Services& services, QWidget* parent = nullptr);

  QListWidget* List1() const { return list_; }
  QCheckBox* Check(int n) const { return checks_.at(static_cast<std::size_t>(n - 1)); }
  QCheckBox* AgeCheck() const { return age_; }
  QSpinBox* AgeDays() const { return ageDays_; }
  QCheckBox* TrashCheck() const { return trash_; }
  KeepListDialog* KeepList() const { return keepList_; }
  FlatButton* Button(int n) const { return buttons_.at(static_cast<std::size_t>(n - 11)); }
  bool PatternTicked(int index) const;

  void ApplyRecommended();  // "推荐"
  void SelectAll();         // "全选"
  void SaveList();          // "确定所选"

 private:
  void OnCheck1Clicked(bool ticked);
  void OnCheck2Clicked(bool ticked);
  void Write(std::string_view section, std::string_view key, bool on);

  LiveOptions& options_;
  const Services& services_;
  QGroupBox* frame_ = nullptr;
  QListWidget* list_ = nullptr;
  std::array<QCheckBox*, 4> checks_{};
  std::array<FlatButton*, 5> buttons_{};
  QCheckBox* packageFiles_ = nullptr;
  QCheckBox* confirm_ = nullptr;
  QCheckBox* age_ = nullptr;
  QSpinBox* ageDays_ = nullptr;
  QCheckBox* trash_ = nullptr;
  FlatButton* keepButton_ = nullptr;
  KeepListDialog* keepList_ = nullptr;
};

}  // namespace kelvo::ui
