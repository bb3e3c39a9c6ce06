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
  session_ =
      std::make_unique<ScanSession>(options_, model_, *services_.fileSystem, services_.audit, this);
  session_->SetPackageFilterFactory(services_.packageFilter);
  BuildControls();

  connect(session_.get(), &ScanSession::folderShown, this, [this](const QString& path) {
    labels_[1]->setText(path);
    setWindowTitle(tr("正在扫描:") + labels_[1]->text());
    UpdateStatus();
  });
  connect(session_.get(), &ScanSession::scannedCountChanged, this,
          [this](qulonglong n) { labels_[4]->setText(QString::number(n)); });
  connect(session_.get(), &ScanSession::junkCountChanged, this,
          [this](qulonglong n) { labels_[6]->setText(QString::number(n)); });
  connect(session_.get(), &ScanSession::restoreRequested, this, &MainWindow::RestoreIdle);
  connect(session_.get(), &ScanSession::finished, this, [this] {
    UpdateStatus();
    if (startWaiting_) {
      startWaiting_ = false;
      BeginScan();
    }
  });
  connect(&model_, &ResultsModel::totalsChanged, this, [this] {
    if (!session_->Busy()) UpdateStatus();
  });
  connect(&model_, &ResultsModel::orderChanged, this, &MainWindow::ShowSortIndicator);
  deletionTimer_.setInterval(200);
  connect(&deletionTimer_, &QTimer::timeout, this, &MainWindow::UpdateStatus);
}

MainWindow::~MainWindow() {
  session_->Stop();
  session_->Join();
  if (deleter_.joinable()) deleter_.join();
  list_->setModel(nullptr);
  delete tips_.data();
  delete dialog_;
}

void MainWindow::BuildControls() {
  // The frame: left, bottom and right edges, then the title bar over them.
  const QPixmap side = pictures::SideEdge();
  edges_[1] = new QLabel(this);
  edges_[1]->setObjectName("Image2");
  edges_[1]->setGeometry(Twips(0, 0, 90, 6600));
  edges_[2] = new QLabel(this);
  edges_[2]->setObjectName("Image3");
  edges_[2]->setGeometry(Twips(90, 6360, 9045, 90));
  edges_[3] = new QLabel(this);
  edges_[3]->setObjectName("Image4");
  edges_[3]->setGeometry(Twips(9120, 0, 90, 6480));
  edges_[1]->setPixmap(side);
  edges_[2]->setPixmap(pictures::BottomEdge());
  edges_[3]->setPixmap(side);
  for (int i = 1; i <= 3; ++i) edges_[static_cast<std::size_t>(i)]->setScaledContents(true);

  image1_ = new DragArea(this);
  image1_->setObjectName("Image1");
  image1_->setGeometry(Twips(85, 0, 9045, 300));
  image1_->setScaledContents(true);

  auto* title = new DragArea(Title(), this);
  title->setObjectName("Label1");
  // The design height is one pixel short of the bold line; centre it on the title bar instead.
  title->setGeometry(Twips(3000, 15, 3030, 270));
  title->setFont(UiFont(10.5, true));
  title->setAlignment(Qt::AlignCenter);
  QPalette titlePalette = title->palette();
  titlePalette.setColor(QPalette::WindowText, palette().color(QPalette::HighlightedText));
  title->setPalette(titlePalette);
  labels_[0] = title;

  const char* const popupCaptions[4] = {QT_TR_NOOP("扫描垃圾"), QT_TR_NOOP("清除垃圾"),
                                        QT_TR_NOOP("系统设置"), QT_TR_NOOP("退出软件")};
  for (int i = 0; i < 4; ++i) {
    auto* b = new PopupButton(tr(popupCaptions[i]), this);
    b->setObjectName(QStringLiteral("asPopup%1").arg(i + 1));
    b->setGeometry(Twips(2520 + 1560 * i, 360, 1395, 435));
    b->setFont(UiFont(9));
    popups_[static_cast<std::size_t>(i)] = b;
  }
  connect(popups_[0], &QToolButton::clicked, this, &MainWindow::OnScanButton);
  connect(popups_[1], &QToolButton::clicked, this, [this] {
    try {
      Command1Click();
    } catch (...) {
      LogSkippedFailure("Deleting the chosen rows");
    }
  });
  connect(popups_[2], &QToolButton::clicked, this, [this] {
    if (!dialog_) dialog_ = new SettingsDialog(options_, services_, this);
    dialog_->show();
    dialog_->raise();
    dialog_->activateWindow();
  });
  connect(popups_[3], &QToolButton::clicked, this, &MainWindow::Exit);

  tree_ = new TargetTree(options_, this);
  tree_->setObjectName("tv");
  tree_->setGeometry(Twips(120, 840, 2175, 5440));

  list_ = new QTableView(this);
  list_->setObjectName("lv");
  list_->setGeometry(Twips(2355, 840, 6705, 3855));

  shape1_ = new QFrame(this);
  shape1_->setObjectName("Shape1");
  shape1_->setGeometry(Twips(2400, 4760, 6735, 420));
  shape1_->setFrameShape(QFrame::Box);
  shape1_->setStyleSheet(
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
    uc_[static_cast<std::size_t>(i)] = b;
  }

  frame1_ = new QGroupBox(tr("扫描详细信息"), this);
  frame1_->setObjectName("Frame1");
  frame1_->setGeometry(Twips(2360, 5205, 6710, 1095));
  frame1_->setStyleSheet(FrameStyle("Frame1", "white"));
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
    auto* l = new QLabel(*spec.text ? tr(spec.text) : QString(), frame1_);
    l->setObjectName(QStringLiteral("Label%1").arg(spec.n));
    // One pixel more above and below than designed, so that the glyphs are not cut.
    QRect r = Twips(spec.left, spec.top, spec.width, 180);
    l->setGeometry(r.adjusted(0, -2, 0, 2));
    labels_[static_cast<std::size_t>(spec.n - 1)] = l;
  }
  status_ = new QLabel(frame1_);
  status_->setObjectName("statusLine");
  status_->setGeometry(Twips(120, 840, 6400, 210));
  status_->setTextFormat(Qt::RichText);
  connect(status_, &QLabel::linkActivated, this, [this] { ShowUnreadableFolders(); });
  QPalette gray = status_->palette();
  gray.setColor(QPalette::WindowText, QColor(90, 90, 90));
  status_->setPalette(gray);
  UpdateStatus();

  image1_->lower();
  for (int i = 1; i <= 3; ++i) edges_[static_cast<std::size_t>(i)]->lower();
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
    if (popups_[0]->text() == ScanCaption()) clickIfEnabled(popups_[0]);
  });
  // Esc stops what runs: the scan, else the deletion (its button reads "停止删除" meanwhile).
  add(QKeySequence(Qt::Key_Escape), [this, clickIfEnabled] {
    if (popups_[0]->text() == StopCaption())
      clickIfEnabled(popups_[0]);
    else if (popups_[1]->text() == StopDeletionCaption())
      clickIfEnabled(popups_[1]);
  });
  add(QKeySequence(Qt::Key_Delete), [this, clickIfEnabled] {
    if (popups_[1]->text() == DeleteCaption()) clickIfEnabled(popups_[1]);
  });
  add(QKeySequence(Qt::CTRL | Qt::Key_A), [this, clickIfEnabled] { clickIfEnabled(uc_[0]); });
  add(QKeySequence(Qt::CTRL | Qt::Key_Comma),
      [this, clickIfEnabled] { clickIfEnabled(popups_[2]); });
  add(QKeySequence(Qt::CTRL | Qt::Key_Q), [this, clickIfEnabled] { clickIfEnabled(popups_[3]); });
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
    if (!dialog_) dialog_ = new SettingsDialog(options_, services_, this);
    dialog_->show();
    dialog_->setVisible(false);
  });
  step("TitlePicture", [this] { image1_->setPixmap(pictures::TitleBar()); });
  step("createlv", [this] { createlv(); });
  step("createtv", [this] { tree_->createtv(services_.listDrives()); });
  step("Shape1", [this] {
    shape1_->move(list_->x(), shape1_->y());
    shape1_->resize(list_->width(), shape1_->height());
  });
  step("TipsSwitch", [this] { tipsSwitch_ = services_.readTipsSwitch(services_.settingsPath()); });
  step("Dialog1", [this] {
    if (tipsSwitch_ != 1) return;
    if (!tips_) tips_ = new TipsDialog(services_, this);
    tips_->show();
  });
}

void MainWindow::createlv() {
  list_->setModel(&model_);
  const double width = list_->width();
  const double divisors[4] = {3, 1, 3, 3};
  for (int c = 0; c < 4; ++c) list_->setColumnWidth(c, static_cast<int>(width / divisors[c]));
  list_->verticalHeader()->hide();
  list_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  list_->verticalHeader()->setDefaultSectionSize(18);
  list_->setShowGrid(false);
  list_->setWordWrap(false);
  list_->setSelectionBehavior(QAbstractItemView::SelectRows);
  list_->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
  list_->setIconSize(QSize(16, 16));
  QHeaderView* header = list_->horizontalHeader();
  header->setHighlightSections(false);
  header->setStretchLastSection(false);
  header->setSectionsClickable(true);
  header->setSortIndicatorShown(false);
  connect(header, &QHeaderView::sectionClicked, this, &MainWindow::OnHeaderClicked,
          Qt::UniqueConnection);
  list_->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(list_, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
    const QModelIndex index = list_->indexAt(at);
    if (!index.isValid()) return;
    QMenu* menu = RowMenu(index.row());
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(list_->viewport()->mapToGlobal(at));
  });
  list_->viewport()->update();
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
  KeepListDialog* list = dialog_ ? dialog_->KeepList() : nullptr;
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
  if (!list_) return;
  QHeaderView* header = list_->horizontalHeader();
  header->setSortIndicatorShown(model_.Sorted());
  if (model_.Sorted()) header->setSortIndicator(model_.SortColumn(), model_.SortOrder());
}

void MainWindow::ClearResults() {
  model_.Clear();
  list_->horizontalHeader()->setSortIndicatorShown(false);
}

void MainWindow::SetListButtonsEnabled(bool enabled) {
  for (FlatButton* b : uc_) b->setEnabled(enabled);
}

void MainWindow::OnScanButton() {
  try {
    if (popups_[0]->text() == ScanCaption())
      StartPath();
    else if (popups_[0]->text() == StopCaption())
      StopPath();
  } catch (...) {
    LogSkippedFailure("Starting or stopping the scan");
  }
}

void MainWindow::StartPath() {
  if (session_->Busy()) {
    // A stopped scan is still winding down: show the scanning state now, start when it has ended.
    startWaiting_ = true;
    popups_[0]->setText(StopCaption());
    popups_[1]->setEnabled(false);
    SetListButtonsEnabled(false);
    return;
  }
  BeginScan();
}

void MainWindow::BeginScan() {
  deletionNote_.clear();  // the note belongs to the last deletion, not to a new list
  session_->ClearScannedFolders();
  ClearResults();
  popups_[0]->setText(StopCaption());
  popups_[1]->setEnabled(false);
  SetListButtonsEnabled(false);
  session_->Run();
  UpdateStatus();
}

void MainWindow::StopPath() {
  startWaiting_ = false;
  session_->Stop();
  SetListButtonsEnabled(true);
  popups_[0]->setText(ScanCaption());
  popups_[1]->setEnabled(true);
  setWindowTitle(labels_[0]->text());
}

void MainWindow::RestoreIdle() {
  if (startWaiting_) return;  // the next scan starts as soon as this one is gone
  labels_[1]->setText(QString());
  popups_[0]->setText(ScanCaption());
  if (!Deleting()) popups_[1]->setEnabled(true);  // while deleting it is the stop button
  setWindowTitle(labels_[0]->text());
  SetListButtonsEnabled(!Deleting());
  UpdateStatus();
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
      labels_[4]->setText(QString());
      labels_[6]->setText(QString());
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

void MainWindow::Command1Click() {
  if (Deleting()) {
    // The button reads "停止删除" now: stop after the file in hand.
    stopDeletion_.store(true);
    popups_[1]->setEnabled(false);
    return;
  }
  std::vector<std::size_t> positions = model_.CheckedBottomUp();
  if (positions.empty()) {
    labels_[4]->setText(QString());
    labels_[6]->setText(QString());
    return;
  }
  if (!ConfirmDeletion(positions)) return;
  std::vector<scan::JunkItem> items;
  items.reserve(positions.size());
  for (std::size_t p : positions) items.push_back(model_.ItemAt(p));
  popups_[0]->setEnabled(false);
  popups_[1]->setText(StopDeletionCaption());
  popups_[1]->setEnabled(true);
  SetListButtonsEnabled(false);
  stopDeletion_.store(false);
  deleteDone_ = 0;
  deleteTotal_ = items.size();
  deletionTimer_.start();
  // The keep-list as it stands now is checked again for every row.
  DeletionChoice choice{options_.Trash(), options_.KeepListNow()};
  deleter_ = std::thread([this, positions = std::move(positions), items = std::move(items),
                          choice = std::move(choice)] {
    std::vector<RowDeletion> results;
    try {
      results = services_.deleteItems(
          items,
          [this](std::size_t done, std::size_t total) {
            deleteDone_.store(done);
            deleteTotal_.store(total);
            return !stopDeletion_.load();
          },
          choice);
    } catch (...) {
      LogSkippedFailure("Deleting the rows");
    }
    if (results.size() != items.size()) {
      // Whatever went wrong, no row whose file may still exist leaves the list.
      const std::size_t tried = results.size();
      results.resize(items.size());
      for (std::size_t i = tried; i < results.size(); ++i)
        results[i].outcome = RowDeletion::Outcome::kNotTried;
    }
    QMetaObject::invokeMethod(
        this,
        [this, positions = std::move(positions), results = std::move(results)]() mutable {
          OnDeletionDone(std::move(positions), std::move(results));
        },
        Qt::QueuedConnection);
  });
}

void MainWindow::OnDeletionDone(std::vector<std::size_t> positions,
                                std::vector<RowDeletion> results) {
  if (deleter_.joinable()) deleter_.join();
  deletionTimer_.stop();
  std::vector<std::size_t> gone;
  std::map<QString, int> failures;
  std::size_t failed = 0, deleted = 0, notTried = 0;
  std::uint64_t freed = 0;
  QStringList trashes;  // where trashed files went
  for (std::size_t i = 0; i < positions.size(); ++i) {
    if (results[i].outcome == RowDeletion::Outcome::kNotTried) {
      ++notTried;  // stopped before it: the row stays as it is
    } else if (results[i].outcome == RowDeletion::Outcome::kFailed) {
      ++failed;
      ++failures[results[i].reason.isEmpty() ? tr("原因不明") : results[i].reason];
    } else {
      gone.push_back(positions[i]);
      freed += results[i].bytes;
      if (results[i].outcome == RowDeletion::Outcome::kDeleted) ++deleted;
      if (!results[i].trash.isEmpty() && !trashes.contains(results[i].trash))
        trashes.push_back(results[i].trash);
    }
  }
  model_.RemoveRows(std::move(gone));
  labels_[4]->setText(QString());
  labels_[6]->setText(QString());
  const bool scanning = popups_[0]->text() == StopCaption();
  popups_[0]->setEnabled(true);
  popups_[1]->setText(DeleteCaption());
  popups_[1]->setEnabled(!scanning);
  SetListButtonsEnabled(!scanning);
  // Files, not rows: a file reported by two rules is deleted once, its second row finds it gone.
  deletionNote_ = trashes.isEmpty()
                      ? tr("已删除 %1 个").arg(deleted)
                      : tr("已移到回收站 %1 个 (%2)").arg(deleted).arg(trashes.join(tr(", ")));
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
    text += tr("  正在删除 %1/%2").arg(deleteDone_.load()).arg(deleteTotal_.load());
  } else if (session_->Busy()) {
    text += tr("  扫描用时 %1 秒").arg(session_->ElapsedMs() / 1000.0, 0, 'f', 1);
  } else if (session_->HasRun()) {
    text += tr("  用时 %1 秒").arg(session_->LastElapsedMs() / 1000.0, 0, 'f', 1);
  }
  if (!deletionNote_.isEmpty() && !Deleting()) text += QStringLiteral("  ") + deletionNote_;
  text = text.toHtmlEscaped();
  // The scan's count of kept package files, until a deletion's note takes its place.
  if (const std::size_t kept = session_->PackageFilesKept();
      kept && deletionNote_.isEmpty() && !Deleting())
    text += tr("  保留 %1 个软件包文件").arg(kept);
  if (const std::size_t held = session_->KeepListHeldBack();
      held && deletionNote_.isEmpty() && !Deleting())
    text += tr("  保留列表挡下 %1 项").arg(held);
  if (const std::size_t unreadable = session_->sink().UnreadableFolders())
    text += tr("  <a href=\"unreadable\">%1 个文件夹无法读取</a>").arg(unreadable);
  status_->setText(text);
}

void MainWindow::ShowUnreadableFolders() {
  auto* dialog = new QDialog(this);
  dialog->setObjectName("unreadableFolders");
  dialog->setWindowTitle(tr("无法读取的文件夹"));
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  auto* list = new QListWidget(dialog);
  for (const auto& u : session_->sink().UnreadableList())
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
    stopDeletion_.store(true);
    return;
  }
  if (dialog_) dialog_->close();
  if (tips_) tips_->close();
  close();
}

void MainWindow::closeEvent(QCloseEvent* event) {
  if (Deleting()) {
    exitAfterDeletion_ = true;
    stopDeletion_.store(true);
    event->ignore();
    return;
  }
  if (dialog_) dialog_->hide();
  if (tips_) tips_->close();
  session_->Stop();
  event->accept();
  QCoreApplication::quit();
}

}  // namespace kelvo::ui
