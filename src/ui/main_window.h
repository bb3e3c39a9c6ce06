// The main window: a frameless white window with its own frame pictures, the toolbar row of popup
// buttons, the scan target tree, the results list with its filter and its row of flat buttons, and
// the scan details. It runs the start-up sequence, the start/stop of a scan, the deletion of ticked
// rows and the exit; the row menu, the deletion report, the status line and the summary are classes
// of their own.
#pragma once

#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QStringList>
#include <QTableView>
#include <QWidget>
#include <array>
#include <memory>

#include "buttons.h"
#include "deletion_report.h"
#include "deletion_session.h"
#include "drag_area.h"
#include "freed_space.h"
#include "live_options.h"
#include "results_model.h"
#include "results_view.h"
#include "row_menu.h"
#include "scan_session.h"
#include "services.h"
#include "settings_dialog.h"
#include "status_line.h"
#include "summary_view.h"
#include "target_tree.h"
#include "tips_dialog.h"
#include "window_layout.h"

namespace kelvo::ui {

class AdminCleanup;

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

  // What the window is doing; the buttons' captions and enabled states follow it.
  enum class Activity {
    kIdle,            // nothing runs
    kScanning,        // a scan runs; the scan button reads "停止扫描"
    kStopping,        // a stopped scan's worker winds down; the window is idle otherwise
    kWaitingToStart,  // a start waits for a stopped scan to wind down; shown as a running scan
    kDeleting,        // files are deleted; the delete button reads "停止删除"
  };
  Activity CurrentActivity() const { return activity_; }

  // Controls by their names in the design, for the program's tests.
  PopupButton* asPopup(int n) const;
  FlatButton* uc(int i) const { return listButtons_.at(static_cast<std::size_t>(i)); }
  TargetTree* tv() const { return tree_; }
  ResultsView* lv() const { return resultsView_; }
  QLineEdit* filterBox() const { return filterBox_; }
  QLabel* selectionLine() const { return selectionLine_; }
  ResultsModel& model() { return model_; }
  QLabel* label(int n) const;
  StatusLine* statusLine() const { return statusLine_; }
  DragArea* titleImage() const { return titleImage_; }
  QFrame* shape1() const { return listButtonPanel_; }
  QGroupBox* frame1() const { return detailsFrame_; }
  SettingsDialog* settingsDialog() const { return settingsDialog_; }
  TipsDialog* tipsDialog() const { return tipsDialog_; }
  ScanSession& session() { return *scanSession_; }
  DeletionSession& deletionSession() { return *deletionSession_; }
  LiveOptions& options() { return options_; }
  bool Deleting() const { return activity_ == Activity::kDeleting; }
  bool StartWaiting() const { return activity_ == Activity::kWaitingToStart; }
  // The list of folders that could not be read, in a dialog of its own.
  void ShowUnreadableFolders();
  // "垃圾分布", made on first use.
  SummaryView* ShowSummary();
  SummaryView* summaryView() const { return summaryView_; }
  // The report of the last deletion that left files behind, while it is open.
  DeletionReport* deletionReport() const { return deletionReport_; }

  // The hidden deletion button's action, also run by "清除垃圾".
  void Command1Click();
  // The flat buttons' action by index.
  void ucClick(int index);
  // The results list's context menu for a shown row.
  kelvo::ui::RowMenu* RowMenu(int displayRow);

 protected:
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void BuildControls();
  void BuildListControls();
  void BuildDetails();
  void AnchorControls();
  // The captions and enabled states of the buttons, from the activity: the one place they are set.
  void SetActivity(Activity activity);
  void ApplyActivity();
  void UpdateSelectionLine();
  void ShowDeletionReport(const QStringList& summary, std::vector<ReportLine> failures);
  // Files deleted by some of their names only: their other names keep their blocks.
  std::size_t StillNamed(const std::vector<std::size_t>& positions,
                         const std::vector<cleanup::DeletionResult>& results) const;
  // What the deletion freed, as parts of the status line.
  QStringList FreedParts(std::uint64_t lengths, bool trashed) const;
  void AddShortcuts();
  void createlv();
  // The scan button reads "停止扫描".
  bool ScanShown() const {
    return activity_ == Activity::kScanning || activity_ == Activity::kWaitingToStart;
  }
  // Idle, or a stopped scan winding down behind an idle window.
  Activity RestingActivity() const;
  void OnScanButton();
  void StartPath();
  void BeginScan();
  void StopPath();
  void RestoreIdle();
  void OnScanFinished();
  void ClearResults();
  void OnHeaderClicked(int column);
  void ShowSortIndicator();
  // Asks whether the ticked rows left that need an administrator go through the elevated step.
  void OfferAdminStep();
  void OnAdminStepDone(const std::vector<std::size_t>& positions,
                       const std::vector<cleanup::DeletionResult>& results, const QString& error);
  void OnDeletionDone(const std::vector<std::size_t>& positions,
                      const std::vector<cleanup::DeletionResult>& results);
  void StopDeletion();
  void UpdateStatus();
  void Exit();
  // "删除 N 个文件 (共 X)?" answered with 是; true without asking when the option is off.
  bool ConfirmDeletion(const std::vector<std::size_t>& positions);

  Services services_;
  LiveOptions options_;
  ResultsModel model_;
  std::unique_ptr<ScanSession> scanSession_;
  std::unique_ptr<DeletionSession> deletionSession_;
  Activity activity_ = Activity::kIdle;

  DragArea* titleImage_ = nullptr;         // Image1
  QLabel* title_ = nullptr;                // Label1
  PopupButton* scanButton_ = nullptr;      // asPopup1
  PopupButton* deleteButton_ = nullptr;    // asPopup2
  PopupButton* settingsButton_ = nullptr;  // asPopup3
  PopupButton* exitButton_ = nullptr;      // asPopup4
  TargetTree* tree_ = nullptr;
  QLineEdit* filterBox_ = nullptr;
  QLabel* selectionLine_ = nullptr;
  ResultsView* resultsView_ = nullptr;
  QFrame* listButtonPanel_ = nullptr;  // Shape1
  // uc0..uc3: tick all rows, untick all, withdraw the ticked rows, withdraw all.
  std::array<FlatButton*, 4> listButtons_{};
  QGroupBox* detailsFrame_ = nullptr;     // Frame1
  QLabel* currentFolder_ = nullptr;       // Label2
  QLabel* scannedFolderCount_ = nullptr;  // Label5
  QLabel* junkCount_ = nullptr;           // Label7
  StatusLine* statusLine_ = nullptr;
  SettingsDialog* settingsDialog_ = nullptr;
  QPointer<TipsDialog> tipsDialog_;
  QPointer<SummaryView> summaryView_;
  QPointer<DeletionReport> deletionReport_;
  WindowLayout layout_;
  FreedSpaceMeter freedMeter_;

  QStringList startupSteps_;
  std::int16_t tipsSwitch_ = 0;
  QStringList deletionNote_;  // the parts of the last deletion's note
  bool exitAfterDeletion_ = false;
  bool offerAdminStep_ = false;  // rows needing an administrator were ticked with the user's own
  AdminCleanup* adminCleanup_ = nullptr;  // a child of the window
  bool deletionStopAsked_ = false;
  bool scanStopped_ = false;  // the last scan was stopped before its end
};

}  // namespace kelvo::ui
