#include "main_window.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDialog>
#include <QHeaderView>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>
#include <map>
#include <set>

#include "cleanup/deletion_tally.h"
#include "deletion_words.h"
#include "error_words.h"
#include "skipped_failure.h"
#include "ui_fonts.h"
#include "ui_text.h"
#include "window_pictures.h"

namespace kelvo::ui {

namespace {

// Positions are designed in twips, 15 to a pixel at 96 dpi.
QRect Twips(int left, int top, int width, int height) {
  auto px = [](int twips) { return qRound(twips / 15.0); };
  return QRect(px(left), px(top), px(width), px(height));
}

QString SizeText(std::uint64_t bytes) {
  const char* const units[] = {"B", "KB", "MB", "GB", "TB"};
  double value = static_cast<double>(bytes);
  int unit = 0;
  while (value >= 1024.0 && unit < 4) {
    value /= 1024.0;
    ++unit;
  }
  return unit == 0 ? QStringLiteral("%1 B").arg(bytes)
                   : QStringLiteral("%1 %2").arg(value, 0, 'f', 1).arg(QLatin1String(units[unit]));
}

}  // namespace

MainWindow::MainWindow(Services services, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), services_(std::move(services)) {
  setObjectName("Form1");
  setWindowTitle(Title());
  setFixedSize(614, 430);
  QPalette white = palette();
  white.setColor(QPalette::Window, Qt::white);
  setPalette(white);
  setAutoFillBackground(true);
  model_.SetRowIcon(pictures::RowIcon());
  scanSession_ =
      std::make_unique<ScanSession>(options_, model_, *services_.fileSystem, services_.audit, this);
  scanSession_->SetPackageFilterFactory(services_.packageFilter);
  deletionSession_ = std::make_unique<DeletionSession>(services_.deleteItems, this);
  BuildControls();

  connect(scanSession_.get(), &ScanSession::folderShown, this, [this](const QString& path) {
    currentFolder_->setText(path);
    setWindowTitle(tr("正在扫描:") + currentFolder_->text());
    UpdateStatus();
  });
  connect(scanSession_.get(), &ScanSession::scannedCountChanged, this,
          [this](qulonglong n) { scannedFolderCount_->setText(QString::number(n)); });
  connect(scanSession_.get(), &ScanSession::junkCountChanged, this,
          [this](qulonglong n) { junkCount_->setText(QString::number(n)); });
  connect(scanSession_.get(), &ScanSession::restoreRequested, this, &MainWindow::RestoreIdle);
  connect(scanSession_.get(), &ScanSession::finished, this, &MainWindow::OnScanFinished);
  connect(deletionSession_.get(), &DeletionSession::progressChanged, this,
          &MainWindow::UpdateStatus);
  connect(deletionSession_.get(), &DeletionSession::finished, this, &MainWindow::OnDeletionDone);
  connect(&model_, &ResultsModel::totalsChanged, this, [this] {
    if (!scanSession_->Busy()) UpdateStatus();
  });
  connect(&model_, &ResultsModel::orderChanged, this, &MainWindow::ShowSortIndicator);
}

MainWindow::~MainWindow() {
  scanSession_->Stop();
  scanSession_->Join();
  deletionSession_.reset();  // stops after the file in hand and waits for it
  resultsView_->setModel(nullptr);
  delete tipsDialog_.data();
  delete settingsDialog_;
}

PopupButton* MainWindow::asPopup(int n) const {
  const std::array<PopupButton*, 4> popups = {scanButton_, deleteButton_, settingsButton_,
                                              exitButton_};
  return popups.at(static_cast<std::size_t>(n - 1));
}

QLabel* MainWindow::label(int n) const {
  return findChild<QLabel*>(QStringLiteral("Label%1").arg(n));
}

void MainWindow::BuildControls() {
  // The frame: left, bottom and right edges, then the title bar over them.
  const QPixmap side = pictures::SideEdge();
  auto* leftEdge = new QLabel(this);
  leftEdge->setObjectName("Image2");
  leftEdge->setGeometry(Twips(0, 0, 90, 6600));
  auto* bottomEdge = new QLabel(this);
  bottomEdge->setObjectName("Image3");
  bottomEdge->setGeometry(Twips(90, 6360, 9045, 90));
  auto* rightEdge = new QLabel(this);
  rightEdge->setObjectName("Image4");
  rightEdge->setGeometry(Twips(9120, 0, 90, 6480));
  leftEdge->setPixmap(side);
  bottomEdge->setPixmap(pictures::BottomEdge());
  rightEdge->setPixmap(side);
  const std::array<QLabel*, 3> edges = {leftEdge, bottomEdge, rightEdge};
  for (QLabel* edge : edges) edge->setScaledContents(true);

  titleImage_ = new DragArea(this);
  titleImage_->setObjectName("Image1");
  titleImage_->setGeometry(Twips(85, 0, 9045, 300));
  titleImage_->setScaledContents(true);

  auto* title = new DragArea(Title(), this);
  title->setObjectName("Label1");
  // The design height is one pixel short of the bold line; centre it on the title bar instead.
  title->setGeometry(Twips(3000, 15, 3030, 270));
  title->setFont(UiFont(10.5, true));
  title->setAlignment(Qt::AlignCenter);
  QPalette titlePalette = title->palette();
  titlePalette.setColor(QPalette::WindowText, palette().color(QPalette::HighlightedText));
  title->setPalette(titlePalette);
  title_ = title;

  const char* const popupCaptions[4] = {QT_TR_NOOP("扫描垃圾"), QT_TR_NOOP("清除垃圾"),
                                        QT_TR_NOOP("系统设置"), QT_TR_NOOP("退出软件")};
  PopupButton** const popups[4] = {&scanButton_, &deleteButton_, &settingsButton_, &exitButton_};
  for (int i = 0; i < 4; ++i) {
    auto* b = new PopupButton(tr(popupCaptions[i]), this);
    b->setObjectName(QStringLiteral("asPopup%1").arg(i + 1));
    b->setGeometry(Twips(2520 + 1560 * i, 360, 1395, 435));
    b->setFont(UiFont(9));
    *popups[i] = b;
  }
  connect(scanButton_, &QToolButton::clicked, this, &MainWindow::OnScanButton);
  connect(deleteButton_, &QToolButton::clicked, this, [this] {
    try {
      Command1Click();
    } catch (...) {
      LogSkippedFailure("Deleting the chosen rows");
    }
  });
  connect(settingsButton_, &QToolButton::clicked, this, [this] {
    if (!settingsDialog_) settingsDialog_ = new SettingsDialog(options_, services_, this);
    settingsDialog_->show();
    settingsDialog_->raise();
    settingsDialog_->activateWindow();
  });
  connect(exitButton_, &QToolButton::clicked, this, &MainWindow::Exit);

  tree_ = new TargetTree(options_, this);
  tree_->setObjectName("tv");
  tree_->setGeometry(Twips(120, 840, 2175, 5440));

  resultsView_ = new QTableView(this);
  resultsView_->setObjectName("lv");
  resultsView_->setGeometry(Twips(2355, 840, 6705, 3855));

  listButtonPanel_ = new QFrame(this);
  listButtonPanel_->setObjectName("Shape1");
  listButtonPanel_->setGeometry(Twips(2400, 4760, 6735, 420));
  listButtonPanel_->setFrameShape(QFrame::Box);
  listButtonPanel_->setStyleSheet(
      "QFrame#Shape1 { border: 1px solid rgb(150,170,200); "
      "background: rgb(240,244,250); }");

  const char* const ucCaptions[4] = {QT_TR_NOOP("全部选择"), QT_TR_NOOP("全部不选"),
                                     QT_TR_NOOP("撤消所选"), QT_TR_NOOP("全部撤消")};
  const int ucLeft[4] = {3120, 4440, 5880, 7320};
  for (int i = 0; i < 4; ++i) {
    auto* b = new FlatButton(i, tr(ucCaptions[i]), this);
    b->setObjectName(QStringLiteral("uc%1").arg(i));
    b->setGeometry(Twips(ucLeft[i], 4800, 975, 315));
    b->setFont(UiFont(9));
    connect(b, &FlatButton::clickedIndex, this, &MainWindow::ucClick);
    listButtons_[static_cast<std::size_t>(i)] = b;
  }

  detailsFrame_ = new QGroupBox(tr("扫描详细信息"), this);
  detailsFrame_->setObjectName("Frame1");
  detailsFrame_->setGeometry(Twips(2360, 5205, 6710, 1095));
  detailsFrame_->setStyleSheet(FrameStyle("Frame1", "white"));
  struct LabelSpec {
    int n;
    const char* text;
    int left, top, width;
  };
  // Label7's design width is too small for a count; it gets the rest of the line.
  const LabelSpec specs[] = {
      {3, QT_TR_NOOP("正在扫描:"), 120, 240, 810},           {2, "", 960, 240, 3450},
      {4, QT_TR_NOOP("已扫描目录(个数):"), 120, 600, 1530},  {5, "", 1800, 600, 1050},
      {6, QT_TR_NOOP("扫描到垃圾(个数):"), 3360, 600, 1530}, {7, "", 5040, 600, 1500}};
  for (const auto& spec : specs) {
    auto* l = new QLabel(*spec.text ? tr(spec.text) : QString(), detailsFrame_);
    l->setObjectName(QStringLiteral("Label%1").arg(spec.n));
    // One pixel more above and below than designed, so that the glyphs are not cut.
    QRect r = Twips(spec.left, spec.top, spec.width, 180);
    l->setGeometry(r.adjusted(0, -2, 0, 2));
    if (spec.n == 2) currentFolder_ = l;
    if (spec.n == 5) scannedFolderCount_ = l;
    if (spec.n == 7) junkCount_ = l;
  }
  statusLine_ = new QLabel(detailsFrame_);
  statusLine_->setObjectName("statusLine");
  statusLine_->setGeometry(Twips(120, 840, 6400, 210));
  statusLine_->setTextFormat(Qt::RichText);
  connect(statusLine_, &QLabel::linkActivated, this, [this] { ShowUnreadableFolders(); });
  QPalette gray = statusLine_->palette();
  gray.setColor(QPalette::WindowText, QColor(90, 90, 90));
  statusLine_->setPalette(gray);
  UpdateStatus();

  titleImage_->lower();
  for (QLabel* edge : edges) edge->lower();
  title->raise();
  AddShortcuts();
}

// The usual keys, each doing what its button does, and only while that button could be clicked.
void MainWindow::AddShortcuts() {
  auto add = [this](const QKeySequence& keys, auto action) {
    auto* shortcut = new QShortcut(keys, this);
    shortcut->setContext(Qt::WindowShortcut);
    connect(shortcut, &QShortcut::activated, this, action);
  };
  auto clickIfEnabled = [](QAbstractButton* button) {
    if (button->isEnabled()) button->click();
  };
  add(QKeySequence(Qt::Key_F5), [this, clickIfEnabled] {
    if (!ScanShown()) clickIfEnabled(scanButton_);
  });
  // Esc stops what runs: the scan, else the deletion (its button reads "停止删除" meanwhile).
  add(QKeySequence(Qt::Key_Escape), [this, clickIfEnabled] {
    if (ScanShown())
      clickIfEnabled(scanButton_);
    else if (Deleting())
      clickIfEnabled(deleteButton_);
  });
  add(QKeySequence(Qt::Key_Delete), [this, clickIfEnabled] {
    if (!Deleting()) clickIfEnabled(deleteButton_);
  });
  add(QKeySequence(Qt::CTRL | Qt::Key_A),
      [this, clickIfEnabled] { clickIfEnabled(listButtons_[0]); });
  add(QKeySequence(Qt::CTRL | Qt::Key_Comma),
      [this, clickIfEnabled] { clickIfEnabled(settingsButton_); });
  add(QKeySequence(Qt::CTRL | Qt::Key_Q), [this, clickIfEnabled] { clickIfEnabled(exitButton_); });
}

void MainWindow::Startup() {
  auto step = [this](const char* name, const auto& action) {
    startupSteps_ << QString::fromLatin1(name);
    try {
      action();
    } catch (...) {
      LogSkippedFailure(name);
      // A failing step is skipped; the next one runs.
    }
  };
  step("InstallComponents", [this] { services_.installComponents(); });
  step("Dialog", [this] {
    if (!settingsDialog_) settingsDialog_ = new SettingsDialog(options_, services_, this);
    settingsDialog_->show();
    settingsDialog_->setVisible(false);
  });
  step("TitlePicture", [this] { titleImage_->setPixmap(pictures::TitleBar()); });
  step("createlv", [this] { createlv(); });
  step("createtv", [this] { tree_->createtv(services_.listDrives()); });
  step("Shape1", [this] {
    listButtonPanel_->move(resultsView_->x(), listButtonPanel_->y());
    listButtonPanel_->resize(resultsView_->width(), listButtonPanel_->height());
  });
  step("TipsSwitch", [this] { tipsSwitch_ = services_.readTipsSwitch(services_.settingsPath()); });
  step("Dialog1", [this] {
    if (tipsSwitch_ != 1) return;
    if (!tipsDialog_) tipsDialog_ = new TipsDialog(services_, this);
    tipsDialog_->show();
  });
}

void MainWindow::createlv() {
  resultsView_->setModel(&model_);
  const double width = resultsView_->width();
  const double divisors[4] = {3, 1, 3, 3};
  for (int c = 0; c < 4; ++c)
    resultsView_->setColumnWidth(c, static_cast<int>(width / divisors[c]));
  resultsView_->verticalHeader()->hide();
  resultsView_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  resultsView_->verticalHeader()->setDefaultSectionSize(18);
  resultsView_->setShowGrid(false);
  resultsView_->setWordWrap(false);
  resultsView_->setSelectionBehavior(QAbstractItemView::SelectRows);
  resultsView_->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
  resultsView_->setIconSize(QSize(16, 16));
  QHeaderView* header = resultsView_->horizontalHeader();
  header->setHighlightSections(false);
  header->setStretchLastSection(false);
  header->setSectionsClickable(true);
  header->setSortIndicatorShown(false);
  connect(header, &QHeaderView::sectionClicked, this, &MainWindow::OnHeaderClicked,
          Qt::UniqueConnection);
  resultsView_->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(resultsView_, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
    const QModelIndex index = resultsView_->indexAt(at);
    if (!index.isValid()) return;
    QMenu* menu = RowMenu(index.row());
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(resultsView_->viewport()->mapToGlobal(at));
  });
  resultsView_->viewport()->update();
}

QMenu* MainWindow::RowMenu(int displayRow) {
  auto* menu = new QMenu(this);
  menu->setObjectName("rowMenu");
  QMenu* keep = menu->addMenu(tr("加入保留列表"));
  keep->setObjectName("keepMenu");
  const scan::JunkItem item = model_.ItemAt(model_.Position(displayRow));
  NativeString path = item.fullPath;
  while (path.size() > 1 && path.back() == platform::kSeparator) path.pop_back();
  const std::size_t cut = path.find_last_of(platform::kSeparator);
  const NativeString folder = cut == NativeString::npos ? NativeString() : path.substr(0, cut);
  KeepListDialog* list = settingsDialog_ ? settingsDialog_->KeepList() : nullptr;
  QAction* own = keep->addAction(item.emptyFolder ? tr("此文件夹: %1").arg(ToQString(path))
                                                  : tr("此文件: %1").arg(ToQString(path)));
  own->setObjectName("keepRowEntry");
  connect(own, &QAction::triggered, this, [list, path, folder = item.emptyFolder] {
    if (!list) return;
    if (folder)
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
  return menu;
}

void MainWindow::OnHeaderClicked(int column) {
  // Clicks count from the order last asked for, even while a long sort is still running.
  if (model_.WantedColumn() != column)
    model_.RequestSort(column, Qt::AscendingOrder);
  else if (model_.WantedOrder() == Qt::AscendingOrder)
    model_.RequestSort(column, Qt::DescendingOrder);
  else
    model_.RequestSort(-1,
                       Qt::AscendingOrder);  // the third click brings the order of discovery back
}

void MainWindow::ShowSortIndicator() {
  if (!resultsView_) return;
  QHeaderView* header = resultsView_->horizontalHeader();
  header->setSortIndicatorShown(model_.Sorted());
  if (model_.Sorted()) header->setSortIndicator(model_.SortColumn(), model_.SortOrder());
}

void MainWindow::ClearResults() {
  model_.Clear();
  resultsView_->horizontalHeader()->setSortIndicatorShown(false);
}

void MainWindow::SetListButtonsEnabled(bool enabled) {
  for (FlatButton* b : listButtons_) b->setEnabled(enabled);
}

MainWindow::Activity MainWindow::RestingActivity() const {
  return scanSession_->Busy() ? Activity::kStopping : Activity::kIdle;
}

void MainWindow::OnScanButton() {
  try {
    if (activity_ == Activity::kIdle || activity_ == Activity::kStopping)
      StartPath();
    else if (ScanShown())
      StopPath();
  } catch (...) {
    LogSkippedFailure("Starting or stopping the scan");
  }
}

void MainWindow::StartPath() {
  if (scanSession_->Busy()) {
    // A stopped scan is still winding down: show the scanning state now, start when it has ended.
    activity_ = Activity::kWaitingToStart;
    scanButton_->setText(StopCaption());
    deleteButton_->setEnabled(false);
    SetListButtonsEnabled(false);
    return;
  }
  BeginScan();
}

void MainWindow::BeginScan() {
  deletionNote_.clear();  // the note belongs to the last deletion, not to a new list
  scanSession_->ClearScannedFolders();
  ClearResults();
  activity_ = Activity::kScanning;
  scanButton_->setText(StopCaption());
  deleteButton_->setEnabled(false);
  SetListButtonsEnabled(false);
  scanSession_->Run();
  UpdateStatus();
}

void MainWindow::StopPath() {
  scanSession_->Stop();
  activity_ = RestingActivity();
  SetListButtonsEnabled(true);
  scanButton_->setText(ScanCaption());
  deleteButton_->setEnabled(true);
  setWindowTitle(title_->text());
}

void MainWindow::RestoreIdle() {
  if (activity_ == Activity::kWaitingToStart) return;  // the next scan starts when this one is gone
  if (activity_ == Activity::kScanning) activity_ = RestingActivity();
  currentFolder_->setText(QString());
  scanButton_->setText(ScanCaption());
  if (!Deleting()) deleteButton_->setEnabled(true);  // while deleting it is the stop button
  setWindowTitle(title_->text());
  SetListButtonsEnabled(!Deleting());
  UpdateStatus();
}

void MainWindow::OnScanFinished() {
  UpdateStatus();
  if (activity_ == Activity::kWaitingToStart)
    BeginScan();
  else if (activity_ == Activity::kStopping)
    activity_ = Activity::kIdle;
}

void MainWindow::ucClick(int index) {
  switch (index) {
    case 0:
      model_.SetAllChecked(true);
      break;
    case 1:
      model_.SetAllChecked(false);
      break;
    case 2:
      model_.RemoveChecked();
      break;
    case 3:
      try {
        ClearResults();
      } catch (...) {
        LogSkippedFailure("Clearing the results");
      }
      scannedFolderCount_->setText(QString());
      junkCount_->setText(QString());
      break;
    default:
      break;
  }
}

bool MainWindow::ConfirmDeletion(const std::vector<std::size_t>& positions) {
  if (!options_.ConfirmDeletion()) return true;
  std::set<NativeString> files;
  std::uint64_t bytes = 0;
  for (std::size_t p : positions) {
    const scan::JunkItem item = model_.ItemAt(p);
    if (files.insert(item.fullPath).second) bytes += item.size.value_or(0);
  }
  const QString question =
      options_.Trash()
          ? tr("将 %1 个文件 (共 %2) 移到回收站?").arg(files.size()).arg(SizeText(bytes))
          : tr("删除 %1 个文件 (共 %2)?").arg(files.size()).arg(SizeText(bytes));
  QMessageBox box(QMessageBox::Question, tr("清除垃圾"), question,
                  QMessageBox::Yes | QMessageBox::No, this);
  box.setObjectName("confirmDeletion");
  box.button(QMessageBox::Yes)->setText(tr("是"));
  box.button(QMessageBox::No)->setText(tr("否"));
  box.setDefaultButton(QMessageBox::No);
  return box.exec() == QMessageBox::Yes;
}

void MainWindow::StopDeletion() {
  deletionSession_->Stop();
}

void MainWindow::Command1Click() {
  if (Deleting()) {
    // The button reads "停止删除" now: stop after the file in hand.
    StopDeletion();
    deleteButton_->setEnabled(false);
    return;
  }
  std::vector<std::size_t> positions = model_.CheckedBottomUp();
  if (positions.empty()) {
    scannedFolderCount_->setText(QString());
    junkCount_->setText(QString());
    return;
  }
  // Without the stored keep-list a deletion could remove what the user keeps: none goes on.
  if (const std::error_code keepError = options_.KeepListError()) {
    auto* box =
        new QMessageBox(QMessageBox::Warning, tr("清除垃圾"),
                        tr("保留列表无法读取:%1。不删除任何文件。").arg(ErrorWords(keepError)),
                        QMessageBox::Ok, this);
    box->setObjectName("keepListUnreadable");
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
    return;
  }
  if (!ConfirmDeletion(positions)) return;
  std::vector<scan::JunkItem> items;
  items.reserve(positions.size());
  for (std::size_t p : positions) items.push_back(model_.ItemAt(p));
  activity_ = Activity::kDeleting;
  scanButton_->setEnabled(false);
  deleteButton_->setText(StopDeletionCaption());
  deleteButton_->setEnabled(true);
  SetListButtonsEnabled(false);
  // The keep-list as it stands now is checked again for every row.
  DeletionChoice choice;
  choice.toTrash = options_.Trash();
  choice.keep = options_.KeepListNow();
  choice.settingsPath = services_.settingsPath ? services_.settingsPath() : NativeString();
  choice.packageFilesKept = !options_.IncludePackageFiles();
  choice.packageFilter = services_.packageFilter;
  deletionSession_->Run(std::move(positions), std::move(items), std::move(choice));
}

void MainWindow::OnDeletionDone(const std::vector<std::size_t>& positions,
                                const std::vector<cleanup::DeletionResult>& results) {
  activity_ = RestingActivity();
  std::vector<std::size_t> gone;
  std::map<QString, int> failures;
  std::size_t failed = 0, deleted = 0, moved = 0, kept = 0, owned = 0, notTried = 0;
  QStringList trashes;  // where trashed files went
  for (std::size_t i = 0; i < positions.size(); ++i) {
    if (i >= results.size()) {
      ++notTried;  // stopped before it: the row stays as it is
      continue;
    }
    // The gate's own categories: what the keep-list or a package holds is no failure.
    switch (cleanup::TallyKindOf(results[i])) {
      case cleanup::TallyKind::kChanged:
      case cleanup::TallyKind::kRefused:
      case cleanup::TallyKind::kFailed:
        ++failed;
        ++failures[DeletionFailureWords(results[i])];
        break;
      case cleanup::TallyKind::kKept:
        ++kept;
        break;
      case cleanup::TallyKind::kPackageFile:
        ++owned;
        break;
      case cleanup::TallyKind::kMoved:
        ++moved;
        gone.push_back(positions[i]);
        if (const QString trash = ToQString(results[i].trash);
            !trash.isEmpty() && !trashes.contains(trash))
          trashes.push_back(trash);
        break;
      case cleanup::TallyKind::kDeleted:
        ++deleted;
        gone.push_back(positions[i]);
        break;
      case cleanup::TallyKind::kAlreadyGone:
        gone.push_back(positions[i]);
        break;
    }
  }
  model_.RemoveRows(std::move(gone));
  scannedFolderCount_->setText(QString());
  junkCount_->setText(QString());
  // A deletion starts only while no scan is shown, and the scan button waits for its end.
  scanButton_->setEnabled(true);
  deleteButton_->setText(DeleteCaption());
  deleteButton_->setEnabled(true);
  SetListButtonsEnabled(true);
  // Files, not rows: a file reported by two rules is deleted once, its second row finds it gone.
  deletionNote_ = moved == 0 ? tr("已删除 %1 个").arg(deleted)
                             : tr("已移到回收站 %1 个 (%2)").arg(moved).arg(trashes.join(tr(", ")));
  if (moved && deleted) deletionNote_ += tr(", 已删除 %1 个").arg(deleted);
  if (kept) deletionNote_ += tr(", %1 个在保留列表中").arg(kept);
  if (owned) deletionNote_ += tr(", %1 个属于已安装的软件包").arg(owned);
  if (failed) deletionNote_ += tr(", %1 个未能删除").arg(failed);
  if (notTried) deletionNote_ += tr(", 已停止");
  UpdateStatus();
  if (exitAfterDeletion_) {
    close();
    return;
  }
  if (failed) {
    QString text = tr("有 %1 个文件未能删除,它们仍留在列表中:").arg(failed);
    for (const auto& [reason, count] : failures) text += tr("\n%1: %2 个").arg(reason).arg(count);
    auto* box = new QMessageBox(QMessageBox::Warning, tr("清除垃圾"), text, QMessageBox::Ok, this);
    box->setObjectName("deletionReport");
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
  }
}

void MainWindow::UpdateStatus() {
  QString text = tr("共 %1 项, %2").arg(model_.Size()).arg(SizeText(model_.TotalBytes()));
  if (Deleting()) {
    text += tr("  正在删除 %1/%2").arg(deletionSession_->Done()).arg(deletionSession_->Total());
  } else if (scanSession_->Busy()) {
    text += tr("  扫描用时 %1 秒").arg(scanSession_->ElapsedMs() / 1000.0, 0, 'f', 1);
  } else if (scanSession_->HasRun()) {
    text += tr("  用时 %1 秒").arg(scanSession_->LastElapsedMs() / 1000.0, 0, 'f', 1);
  }
  if (!deletionNote_.isEmpty() && !Deleting()) text += QStringLiteral("  ") + deletionNote_;
  if (options_.KeepListError()) text += tr("  保留列表无法读取");
  text = text.toHtmlEscaped();
  // The scan's count of kept package files, until a deletion's note takes its place.
  if (const std::size_t kept = scanSession_->PackageFilesKept();
      kept && deletionNote_.isEmpty() && !Deleting())
    text += tr("  保留 %1 个软件包文件").arg(kept);
  const std::vector<scan::LocationNote> skipped = scanSession_->SkippedInUse();
  if (!skipped.empty()) text += tr("  跳过 %1 个使用中的文件夹").arg(skipped.size());
  QString skippedTip;
  for (const scan::LocationNote& note : skipped)
    skippedTip += tr("%1 (正在使用: %2)\n").arg(ToQString(note.folder), ToQString(note.lock));
  statusLine_->setToolTip(skippedTip.trimmed());
  if (const std::size_t held = scanSession_->KeepListHeldBack();
      held && deletionNote_.isEmpty() && !Deleting())
    text += tr("  保留列表挡下 %1 项").arg(held);
  if (const std::size_t unreadable = scanSession_->sink().UnreadableFolders())
    text += tr("  <a href=\"unreadable\">%1 个文件夹无法读取</a>").arg(unreadable);
  statusLine_->setText(text);
}

void MainWindow::ShowUnreadableFolders() {
  auto* dialog = new QDialog(this);
  dialog->setObjectName("unreadableFolders");
  dialog->setWindowTitle(tr("无法读取的文件夹"));
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  auto* list = new QListWidget(dialog);
  for (const auto& u : scanSession_->sink().UnreadableList())
    list->addItem(ToQString(u.path) + QStringLiteral("  (") + ErrorWords(u.error) +
                  QStringLiteral(")"));
  auto* close = new QPushButton(tr("关闭"), dialog);
  connect(close, &QPushButton::clicked, dialog, &QDialog::close);
  auto* layout = new QVBoxLayout(dialog);
  layout->addWidget(list);
  layout->addWidget(close, 0, Qt::AlignRight);
  dialog->resize(520, 300);
  dialog->show();
}

void MainWindow::Exit() {
  if (Deleting()) {
    // Stop after the file in hand; the window closes when the deletion has ended.
    exitAfterDeletion_ = true;
    StopDeletion();
    return;
  }
  if (settingsDialog_) settingsDialog_->close();
  if (tipsDialog_) tipsDialog_->close();
  close();
}

void MainWindow::closeEvent(QCloseEvent* event) {
  if (Deleting()) {
    exitAfterDeletion_ = true;
    StopDeletion();
    event->ignore();
    return;
  }
  if (settingsDialog_) settingsDialog_->hide();
  if (tipsDialog_) tipsDialog_->close();
  scanSession_->Stop();
  event->accept();
  QCoreApplication::quit();
}

}  // namespace kelvo::ui
