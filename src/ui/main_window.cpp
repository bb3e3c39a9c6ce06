#include "main_window.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDialog>
#include <QHeaderView>
#include <QIcon>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QSizeGrip>
#include <QVBoxLayout>
#include <map>
#include <set>

#include "admin_cleanup.h"
#include "admin_words.h"
#include "cleanup/deletion_tally.h"
#include "deletion_words.h"
#include "error_words.h"
#include "size_words.h"
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

// The designed size; the window may grow from it, and shrink in height to fit a small screen.
constexpr QSize kDesignedSize(614, 430);
constexpr QSize kSmallestSize(614, 330);

int Clamped(std::uint64_t n) {
  return static_cast<int>(std::min<std::uint64_t>(n, INT32_MAX));
}

}  // namespace

MainWindow::MainWindow(Services services, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint),
      services_(std::move(services)),
      layout_(kDesignedSize) {
  setObjectName("Form1");
  setWindowTitle(Title());
  resize(kDesignedSize);
  setMinimumSize(kSmallestSize);
  // Also on the window itself: a frameless window's task-bar entry takes its own icon.
  QIcon icon(QStringLiteral(":/icons/256/kelvo.png"));
  icon.addFile(QStringLiteral(":/icons/48/kelvo.png"));
  setWindowIcon(icon);
  QPalette white = palette();
  white.setColor(QPalette::Window, Qt::white);
  setPalette(white);
  setAutoFillBackground(true);
  model_.SetRowIcon(pictures::RowIcon());
  scanSession_ =
      std::make_unique<ScanSession>(options_, model_, *services_.fileSystem, services_.audit, this);
  scanSession_->SetPackageFilterFactory(services_.packageFilter);
  deletionSession_ = std::make_unique<DeletionSession>(
      freedMeter_.Wrap(services_.deleteItems, services_.freeSpace), this);
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
  adminCleanup_ = new AdminCleanup(this);
  connect(adminCleanup_, &AdminCleanup::finished, this, &MainWindow::OnAdminStepDone);
  connect(&model_, &ResultsModel::totalsChanged, this, [this] {
    if (!scanSession_->Busy()) UpdateStatus();
  });
  connect(&model_, &ResultsModel::checksChanged, this, &MainWindow::UpdateSelectionLine);
  connect(&model_, &ResultsModel::orderChanged, this, &MainWindow::ShowSortIndicator);
}

MainWindow::~MainWindow() {
  scanSession_->Stop();
  scanSession_->Join();
  deletionSession_.reset();  // stops after the file in hand and waits for it
  resultsView_->setModel(nullptr);
  delete tipsDialog_.data();
  delete summaryView_.data();
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

  BuildListControls();

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

  BuildDetails();
  titleImage_->lower();
  for (QLabel* edge : edges) edge->lower();
  title->raise();
  AddShortcuts();
  // The frame, the title and the tree follow the window's size; the rest is placed in BuildDetails.
  layout_.Add(leftEdge, WindowLayout::kGrowHeight);
  layout_.Add(bottomEdge, WindowLayout::kFollowBottom | WindowLayout::kGrowWidth);
  layout_.Add(rightEdge, WindowLayout::kFollowRight | WindowLayout::kGrowHeight);
  layout_.Add(titleImage_, WindowLayout::kGrowWidth);
  layout_.Add(title, WindowLayout::kCentred);
  layout_.Add(tree_, WindowLayout::kGrowHeight);
  AnchorControls();
}

void MainWindow::BuildListControls() {
  // The filter takes the top of the list's designed place.
  filterBox_ = new QLineEdit(this);
  filterBox_->setObjectName("filterBox");
  filterBox_->setPlaceholderText(tr("筛选: 路径或类型中的文字"));
  filterBox_->setClearButtonEnabled(true);
  filterBox_->setFont(UiFont(9));
  filterBox_->setGeometry(Twips(2355, 840, 2700, 330));
  connect(filterBox_, &QLineEdit::textChanged, this, [this](const QString& text) {
    model_.SetFilter(text.trimmed());
    UpdateStatus();
  });
  selectionLine_ = new QLabel(this);
  selectionLine_->setObjectName("selectionLine");
  selectionLine_->setFont(UiFont(9));
  selectionLine_->setGeometry(Twips(5130, 840, 3930, 330));
  selectionLine_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

  resultsView_ = new ResultsView(this);
  resultsView_->setObjectName("lv");
  resultsView_->setGeometry(Twips(2355, 1200, 6705, 3495));
}

void MainWindow::BuildDetails() {
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
  statusLine_ = new StatusLine(detailsFrame_);
  statusLine_->setObjectName("statusLine");
  statusLine_->setGeometry(Twips(120, 840, 6500, 210).adjusted(0, -1, 0, 1));
  connect(statusLine_, &QLabel::linkActivated, this, [this](const QString& link) {
    if (link == QLatin1String("summary"))
      ShowSummary();
    else if (link == QLatin1String("showAll"))
      model_.SetScope({});
    else
      ShowUnreadableFolders();
  });
  QPalette gray = statusLine_->palette();
  gray.setColor(QPalette::WindowText, QColor(90, 90, 90));
  statusLine_->setPalette(gray);
  UpdateStatus();
  UpdateSelectionLine();
}

void MainWindow::AnchorControls() {
  layout_.Add(filterBox_, WindowLayout::kFixed);
  layout_.Add(selectionLine_, WindowLayout::kGrowWidth);
  layout_.Add(resultsView_, WindowLayout::kGrowWidth | WindowLayout::kGrowHeight);
  layout_.Add(listButtonPanel_, WindowLayout::kFollowBottom | WindowLayout::kGrowWidth);
  for (FlatButton* b : listButtons_)
    layout_.Add(b, WindowLayout::kFollowBottom | WindowLayout::kCentred);
  layout_.Add(detailsFrame_, WindowLayout::kFollowBottom | WindowLayout::kGrowWidth);
  layout_.Add(currentFolder_, WindowLayout::kGrowWidth);
  layout_.Add(statusLine_, WindowLayout::kGrowWidth);
  auto* grip = new QSizeGrip(this);
  grip->setObjectName("sizeGrip");
  grip->setGeometry(width() - 14, height() - 14, 12, 12);
  layout_.Add(grip, WindowLayout::kFollowRight | WindowLayout::kFollowBottom);
  // A double click on the title bar maximises the window or brings it back, as a system one does.
  for (DragArea* bar : {titleImage_, qobject_cast<DragArea*>(title_)})
    if (bar)
      connect(bar, &DragArea::doubleClicked, this, [this] {
        if (isMaximized())
          showNormal();
        else
          showMaximized();
      });
}

void MainWindow::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  layout_.Apply(size());
}

// A screen too small for the designed size (a high scale on a low screen) gets a shorter window.
void MainWindow::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (isMaximized() || !screen()) return;
  const QRect room = screen()->availableGeometry();
  if (height() > room.height() || width() > room.width()) {
    resize(std::max(std::min(width(), room.width()), minimumWidth()),
           std::max(std::min(height(), room.height()), minimumHeight()));
    move(room.topLeft());
  }
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
  add(QKeySequence(Qt::Key_F6), [this] { ShowSummary(); });
  add(QKeySequence(Qt::CTRL | Qt::Key_F), [this] {
    filterBox_->setFocus();
    filterBox_->selectAll();
  });
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
    layout_.Add(listButtonPanel_, WindowLayout::kFollowBottom | WindowLayout::kGrowWidth);
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
    kelvo::ui::RowMenu* menu = RowMenu(index.row());
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(resultsView_->viewport()->mapToGlobal(at));
  });
  resultsView_->viewport()->update();
}

RowMenu* MainWindow::RowMenu(int displayRow) {
  KeepListDialog* list = settingsDialog_ ? settingsDialog_->KeepList() : nullptr;
  return new kelvo::ui::RowMenu(model_, displayRow, resultsView_->SelectedRows(), list, this);
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

void MainWindow::SetActivity(Activity activity) {
  activity_ = activity;
  ApplyActivity();
}

void MainWindow::ApplyActivity() {
  const bool scanShown = ScanShown();
  const bool deleting = Deleting();
  scanButton_->setText(scanShown ? StopCaption() : ScanCaption());
  // A deletion starts only while no scan is shown, and the scan button waits for its end.
  scanButton_->setEnabled(!deleting);
  deleteButton_->setText(deleting ? StopDeletionCaption() : DeleteCaption());
  deleteButton_->setEnabled(deleting ? !deletionStopAsked_ : !scanShown);
  for (FlatButton* b : listButtons_) b->setEnabled(!scanShown && !deleting);
  if (!scanShown) setWindowTitle(title_->text());
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
    SetActivity(Activity::kWaitingToStart);
    return;
  }
  BeginScan();
}

void MainWindow::BeginScan() {
  deletionNote_.clear();  // the note belongs to the last deletion, not to a new list
  scanSession_->ClearScannedFolders();
  ClearResults();
  scanStopped_ = false;
  SetActivity(Activity::kScanning);
  scanSession_->Run();
  UpdateStatus();
}

void MainWindow::StopPath() {
  scanSession_->Stop();
  scanStopped_ = true;
  SetActivity(RestingActivity());
  UpdateStatus();
}

void MainWindow::RestoreIdle() {
  if (activity_ == Activity::kWaitingToStart) return;  // the next scan starts when this one is gone
  currentFolder_->setText(QString());
  SetActivity(activity_ == Activity::kScanning ? RestingActivity() : activity_);
  UpdateStatus();
}

void MainWindow::OnScanFinished() {
  UpdateStatus();
  if (activity_ == Activity::kWaitingToStart)
    BeginScan();
  else if (activity_ == Activity::kStopping)
    SetActivity(Activity::kIdle);
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
    const ResultRow& row = model_.RowAt(p);
    if (files.insert(NativeString(model_.PathOf(row))).second && row.Has(ResultRow::kHasSize))
      bytes += row.size;
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
    deletionStopAsked_ = true;
    ApplyActivity();
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
  // The user's own rows go first; what only an administrator may remove is offered after them.
  std::erase_if(positions, [&](std::size_t p) { return model_.ItemAt(p).needsAdmin; });
  if (positions.empty()) {
    OfferAdminStep();
    return;
  }
  offerAdminStep_ = true;
  std::vector<scan::JunkItem> items;
  items.reserve(positions.size());
  for (std::size_t p : positions) items.push_back(model_.ItemAt(p));
  deletionStopAsked_ = false;
  SetActivity(Activity::kDeleting);
  // The keep-list as it stands now is checked again for every row.
  DeletionChoice choice;
  choice.toTrash = options_.Trash();
  choice.keep = options_.KeepListNow();
  choice.settingsPath = services_.settingsPath ? services_.settingsPath() : NativeString();
  choice.packageFilesKept = !options_.IncludePackageFiles();
  choice.packageFilter = services_.packageFilter;
  deletionSession_->Run(std::move(positions), std::move(items), std::move(choice));
}

void MainWindow::OfferAdminStep() {
  offerAdminStep_ = false;
  if (adminCleanup_->Busy()) return;
  // The ticked rows that are left and need an administrator: the positions of now, after the
  // user's own rows went.
  std::vector<std::size_t> positions = model_.CheckedBottomUp();
  std::erase_if(positions, [&](std::size_t p) { return !model_.ItemAt(p).needsAdmin; });
  if (positions.empty()) return;
  auto* box =
      new QMessageBox(QMessageBox::Question, tr("清除垃圾"), AdminOfferText(positions.size()),
                      QMessageBox::Yes | QMessageBox::No, this);
  box->setObjectName("adminOffer");
  box->setAttribute(Qt::WA_DeleteOnClose);
  connect(box, &QMessageBox::accepted, this, [this, positions] {
    std::vector<scan::JunkItem> items;
    items.reserve(positions.size());
    for (std::size_t p : positions) items.push_back(model_.ItemAt(p));
    adminCleanup_->Run(positions, items, options_.Trash(), options_.KeepEntries());
  });
  box->open();
}

void MainWindow::OnAdminStepDone(const std::vector<std::size_t>& positions,
                                 const std::vector<cleanup::DeletionResult>& results,
                                 const QString& error) {
  if (results.empty()) {
    auto* box = new QMessageBox(QMessageBox::Warning, tr("清除垃圾"), AdminStepFailedText(error),
                                QMessageBox::Ok, this);
    box->setObjectName("adminStepFailed");
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
    return;
  }
  // Its report is put into the same words as the user's own deletion.
  OnDeletionDone(positions, results);
}

void MainWindow::OnDeletionDone(const std::vector<std::size_t>& positions,
                                const std::vector<cleanup::DeletionResult>& results) {
  std::vector<std::size_t> gone;
  std::vector<ReportLine> failures;
  std::size_t deleted = 0, moved = 0, kept = 0, owned = 0, notTried = 0;
  std::uint64_t lengths = 0;
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
        failures.push_back(
            {ToQString(model_.PathAt(positions[i])), DeletionFailureWords(results[i])});
        break;
      case cleanup::TallyKind::kKept:
        ++kept;
        break;
      case cleanup::TallyKind::kPackageFile:
        ++owned;
        break;
      case cleanup::TallyKind::kMoved:
        ++moved;
        lengths += results[i].bytes;
        gone.push_back(positions[i]);
        if (const QString trash = ToQString(results[i].trash);
            !trash.isEmpty() && !trashes.contains(trash))
          trashes.push_back(trash);
        break;
      case cleanup::TallyKind::kDeleted:
        ++deleted;
        lengths += results[i].bytes;
        gone.push_back(positions[i]);
        break;
      case cleanup::TallyKind::kAlreadyGone:
        gone.push_back(positions[i]);
        break;
    }
  }
  const std::size_t stillNamed = StillNamed(positions, results);
  model_.RemoveRows(std::move(gone));
  scannedFolderCount_->setText(QString());
  junkCount_->setText(QString());
  deletionStopAsked_ = false;
  SetActivity(RestingActivity());
  // Files, not rows: a file reported by two rules is deleted once, its second row finds it gone.
  deletionNote_.clear();
  deletionNote_
      << (moved == 0
              ? tr("已删除 %n 个", nullptr, Clamped(deleted))
              : tr("已移到回收站 %n 个 (%1)", nullptr, Clamped(moved)).arg(trashes.join(tr(", "))));
  if (moved && deleted) deletionNote_ << tr("已删除 %n 个", nullptr, Clamped(deleted));
  if (kept) deletionNote_ << tr("%n 个在保留列表中", nullptr, Clamped(kept));
  if (owned) deletionNote_ << tr("%n 个属于已安装的软件包", nullptr, Clamped(owned));
  if (!failures.empty()) deletionNote_ << tr("%n 个未能删除", nullptr, Clamped(failures.size()));
  if (notTried) deletionNote_ << tr("已停止");
  deletionNote_ << FreedParts(lengths, moved != 0);
  if (stillNamed)
    deletionNote_ << tr("%n 个文件另有名字留下, 未释放空间", nullptr, Clamped(stillNamed));
  UpdateStatus();
  if (exitAfterDeletion_) {
    close();
    return;
  }
  if (!failures.empty()) {
    QStringList summary;
    summary << tr("%n 个文件未能删除, 它们仍留在列表中:", nullptr, Clamped(failures.size()));
    summary << deletionNote_.join(StatusLine::Separator());
    ShowDeletionReport(summary, std::move(failures));
  }
  if (offerAdminStep_ && !notTried) OfferAdminStep();
}

std::size_t MainWindow::StillNamed(const std::vector<std::size_t>& positions,
                                   const std::vector<cleanup::DeletionResult>& results) const {
  // Names deleted per hard-linked file; fewer than its links leave its blocks taken.
  std::map<std::pair<std::uint64_t, std::uint64_t>, std::pair<std::uint32_t, std::uint32_t>> files;
  for (std::size_t i = 0; i < positions.size() && i < results.size(); ++i) {
    const ResultRow& row = model_.RowAt(positions[i]);
    if (results[i].outcome != cleanup::DeletionOutcome::kDeleted || row.links <= 1 ||
        !row.Has(ResultRow::kHasIdentity))
      continue;
    auto& [deleted, links] = files[{model_.DeviceOf(row), row.inode}];
    ++deleted;
    links = row.links;
  }
  std::size_t named = 0;
  for (const auto& [key, counts] : files)
    if (counts.first < counts.second) ++named;
  return named;
}

QStringList MainWindow::FreedParts(std::uint64_t lengths, bool trashed) const {
  QStringList parts;
  // A move into the trash stays on its disk: the files' blocks are still taken.
  if (trashed)
    parts << tr("移到回收站不释放空间");
  else
    parts << tr("共 %1").arg(SizeText(lengths));
  bool measured = false;
  std::int64_t freed = 0;
  QStringList disks;
  for (const DiskFreed& d : freedMeter_.Last())
    if (const auto f = d.Freed()) {
      measured = true;
      freed += *f;
      disks << tr("%1: %2").arg(ToQString(d.disk), SignedSizeText(*f));
    }
  if (measured) parts << tr("磁盘上释放 %1 (%2)").arg(SignedSizeText(freed), disks.join(tr(", ")));
  return parts;
}

void MainWindow::ShowDeletionReport(const QStringList& summary, std::vector<ReportLine> failures) {
  if (deletionReport_) deletionReport_->close();
  deletionReport_ = new DeletionReport(summary, std::move(failures), this);
  deletionReport_->setAttribute(Qt::WA_DeleteOnClose);
  deletionReport_->open();
}

void MainWindow::UpdateSelectionLine() {
  const scan::TallyCounts& c = model_.CheckedTally().Total();
  QString text = tr("已选 %1 个, %2").arg(c.files).arg(SizeText(c.bytes));
  if (c.files)
    text += options_.Trash() ? tr(", 移到回收站不释放空间")
                             : tr(", 可释放 %1").arg(SizeText(model_.CheckedTally().Freeable()));
  selectionLine_->setText(text);
  selectionLine_->setToolTip(
      tr("勾选的行: %1; 每个文件只计一次. 占用磁盘 %2; 其他名字仍在的硬链接不释放空间.")
          .arg(model_.CheckedRows())
          .arg(SizeText(c.bytesOnDisk)));
}

void MainWindow::UpdateStatus() {
  const scan::TallyCounts& total = model_.Tally().Total();
  QStringList parts;
  parts << tr("共 %n 项", nullptr, Clamped(model_.Size())) + tr(", ") +
               tr("%n 个文件", nullptr, Clamped(total.files)) + tr(", ") +
               tr("%1 (占用 %2)").arg(SizeText(total.bytes), SizeText(total.bytesOnDisk));
  if (model_.Scope().kind != RowScope::Kind::kAll)
    parts << tr("只显示 %1").arg(model_.Scope().name);
  if (model_.Filtered()) parts << tr("显示 %1 项").arg(model_.rowCount());
  if (const std::size_t admin = model_.AdminRows())
    parts << tr("%n 个需要管理员权限", nullptr, Clamped(admin));
  if (Deleting()) {
    parts << tr("正在删除 %1/%2").arg(deletionSession_->Done()).arg(deletionSession_->Total());
  } else if (scanSession_->Busy() && !scanStopped_) {
    parts << tr("扫描用时 %1 秒").arg(scanSession_->ElapsedMs() / 1000.0, 0, 'f', 1);
  } else if (scanStopped_) {
    parts << tr("扫描已停止");
  } else if (scanSession_->HasRun()) {
    parts << tr("用时 %1 秒").arg(scanSession_->LastElapsedMs() / 1000.0, 0, 'f', 1);
  }
  if (!deletionNote_.isEmpty() && !Deleting()) parts << deletionNote_;
  // The scan's count of kept package files, until a deletion's note takes its place.
  if (const std::size_t kept = scanSession_->PackageFilesKept();
      kept && deletionNote_.isEmpty() && !Deleting())
    parts << tr("保留 %n 个软件包文件", nullptr, Clamped(kept));
  // Settings an app keeps at the top of its cache folder: never offered, said apart.
  if (const std::size_t settings = scanSession_->state().settingsInCaches.load();
      settings && deletionNote_.isEmpty() && !Deleting())
    parts << tr("保留缓存中的 %n 个设置文件", nullptr, Clamped(settings));
  const std::vector<scan::LocationNote> skipped = scanSession_->SkippedInUse();
  if (!skipped.empty()) parts << tr("跳过 %n 个使用中的文件夹", nullptr, Clamped(skipped.size()));
  QString skippedTip;
  for (const scan::LocationNote& note : skipped)
    skippedTip += tr("%1 (正在使用: %2)\n").arg(ToQString(note.folder), ToQString(note.lock));
  if (const std::size_t held = scanSession_->KeepListHeldBack();
      held && deletionNote_.isEmpty() && !Deleting())
    parts << tr("保留列表挡下 %1 项").arg(held);
  if (options_.KeepListError()) parts << tr("保留列表无法读取");
  std::vector<StatusLine::Link> links;
  if (const std::size_t unreadable = scanSession_->sink().UnreadableFolders())
    links.push_back(
        {QStringLiteral("unreadable"), tr("%n 个文件夹无法读取", nullptr, Clamped(unreadable))});
  if (model_.Scope().kind != RowScope::Kind::kAll)
    links.push_back({QStringLiteral("showAll"), tr("显示全部行")});
  links.push_back({QStringLiteral("summary"), SummaryView::Title()});
  statusLine_->SetParts(parts, std::move(links), skippedTip.trimmed());
}

SummaryView* MainWindow::ShowSummary() {
  if (!summaryView_) summaryView_ = new SummaryView(model_, this);
  summaryView_->show();
  summaryView_->raise();
  summaryView_->activateWindow();
  return summaryView_;
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
