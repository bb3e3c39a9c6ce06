// The main window: a frameless white window with its own frame pictures, the toolbar row of popup
// buttons, the scan target tree, the results list with its row of flat buttons, and the scan
// details. It runs the start-up sequence, the start/stop of a scan, the deletion of ticked rows and
// the exit.
#pragma once

#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPointer>
#include <QStringList>
#include <QTableView>
#include <QTimer>
#include <QWidget>
#include <array>
#include <atomic>
#include <memory>
#include <thread>

#include "buttons.h"
#include "drag_area.h"
#include "live_options.h"
#include "results_model.h"
#include "scan_session.h"
#include "services.h"
#include "settings_dialog.h"
#include "target_tree.h"
#include "tips_dialog.h"

namespace kelvo::ui {

class MainWindow : public QWidget {
  Q_OBJECT

 public:
  // In the language of the interface.
  static QString Title() { return tr("Kelvo 垃圾文件清扫器 2.02"); }
  static QString ScanCaption() { return tr("扫描垃圾"); }
  static QString StopCaption() { return tr("停止扫描"); }
  static QString DeleteCaption() { return tr("清除垃圾"); }
  static QString StopDeletionCaption() { return tr("停止删除"); }

  explicit MainWindow(Services services, QWidget* parent = nullptr);
  ~MainWindow() override;

  // The start-up steps, in order; each runs even when an earlier one failed.
  void Startup();
  const QStringList& StartupSteps() const { return startupSteps_; }
  std::int16_t TipsSwitch() const { return tipsSwitch_; }

  // Controls, for the program's tests.
  PopupButton* asPopup(int n) const { return popups_.at(static_cast<std::size_t>(n - 1)); }
  FlatButton* uc(int i) const { return uc_.at(static_cast<std::size_t>(i)); }
  TargetTree* tv() const { return tree_; }
  QTableView* lv() const { return list_; }
  ResultsModel& model() { return model_; }
  QLabel* label(int n) const { return labels_.at(static_cast<std::size_t>(n - 1)); }
  QLabel* statusLine() const { return status_; }
  DragArea* titleImage() const { return image1_; }
  QFrame* shape1() const { return shape1_; }
  QGroupBox* frame1() const { return frame1_; }
  SettingsDialog* settingsDialog() const { return dialog_; }
  TipsDialog* tipsDialog() const { return tips_; }
  ScanSession& session() { return *session_; }
  LiveOptions& options() { return options_; }
  bool Deleting() const { return deleter_.joinable(); }
  bool StartWaiting() const { return startWaiting_; }
  // The list of folders that could not be read, in a dialog of its own.
  void ShowUnreadableFolders();

  // The hidden deletion button's action, also run by "清除垃圾".
  void Command1Click();
  // The flat buttons' action by index.
  void ucClick(int index);
  // The results list's context menu for a shown row: "加入保留列表" with its file and its folder.
  QMenu* RowMenu(int displayRow);

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildControls();
  void AddShortcuts();
  void createlv();
  void OnScanButton();
  void StartPath();
  void BeginScan();
  void StopPath();
  void RestoreIdle();
  void SetListButtonsEnabled(bool enabled);
  void ClearResults();
  void OnHeaderClicked(int column);
  void ShowSortIndicator();
  void OnDeletionDone(std::vector<std::size_t> positions, std::vector<RowDeletion> results);
  void UpdateStatus();
  void Exit();
  // "删除 N 个文件 (共 X)?" answered with 是; true without asking when the option is off.
  bool ConfirmDeletion(const std::vector<std::size_t>& positions);

  Services services_;
  LiveOptions options_;
  ResultsModel model_;
  std::unique_ptr<ScanSession> session_;

  DragArea* image1_ = nullptr;
  std::array<QLabel*, 4> edges_{};  // Image2 (left), Image3 (bottom), Image4 (right)
  std::array<PopupButton*, 4> popups_{};
  TargetTree* tree_ = nullptr;
  QTableView* list_ = nullptr;
  QFrame* shape1_ = nullptr;
  std::array<FlatButton*, 4> uc_{};
  QGroupBox* frame1_ = nullptr;
  std::array<QLabel*, 7> labels_{};  // Label1..Label7
  QLabel* status_ = nullptr;
  SettingsDialog* dialog_ = nullptr;
  QPointer<TipsDialog> tips_;

  QStringList startupSteps_;
  std::int16_t tipsSwitch_ = 0;
  bool startWaiting_ = false;  // a start waits for a stopped scan to wind down
  std::thread deleter_;
  std::atomic<std::size_t> deleteDone_{0};
  std::atomic<std::size_t> deleteTotal_{0};
  QTimer deletionTimer_;
  QString deletionNote_;
  std::atomic<bool> stopDeletion_{false};
  bool exitAfterDeletion_ = false;
};

}  // namespace kelvo::ui
