// The scan driver in the window: the idle/scanning states of the buttons, a stop during a scan of a
// real tree and its wind-down, a start while a stopped scan winds down, options changed during a
// scan, the audit at the end, and a failure that escapes the scan.
#include <QSignalSpy>
#include <QTest>
#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <stdexcept>

#include <QListWidget>

#include "error_words.h"
#include "fake_services.h"
#include "main_window.h"
#include "support/fake_home.h"
#include "support/memory_file_system.h"
#include "support/temp_tree.h"

using namespace kelvo;
using kelvo::testing::FakeSetup;
using kelvo::testing::ServiceLog;

namespace {

// Holds the scan inside its per-entry yield until the test lets it go.
class Gate {
 public:
  void ReachAndWait() {
    std::unique_lock lock(mutex_);
    reached_ = true;
    cv_.notify_all();
    cv_.wait(lock, [this] { return released_; });
  }
  bool WaitReached() {
    std::unique_lock lock(mutex_);
    return cv_.wait_for(lock, std::chrono::seconds(20), [this] { return reached_; });
  }
  void Release() {
    std::lock_guard lock(mutex_);
    released_ = true;
    cv_.notify_all();
  }

 private:
  std::mutex mutex_;
  std::condition_variable cv_;
  bool reached_ = false;
  bool released_ = false;
};

class ThrowingFileSystem : public platform::FileSystem {
 public:
  std::unique_ptr<platform::Directory> OpenDirectory(const NativeString&,
                                                     std::error_code&) override {
    throw std::runtime_error("broken file system");
  }
};

QStringList Folders(ui::MainWindow& w) {
  QStringList out;
  const auto& folders = w.session().ScannedFolders();
  for (std::size_t i = 0; i < folders.size(); ++i)
    out << QString::fromStdString(NativeToUtf8(folders.At(i)));
  return out;
}

QStringList Names(ui::MainWindow& w) {
  QStringList out;
  for (int r = 0; r < w.model().rowCount(); ++r) out << w.model().Text(r, 0);
  return out;
}

}  // namespace

class ScanDriverTest : public QObject {
  Q_OBJECT

  std::unique_ptr<ui::MainWindow> Make(const std::string& root,
                                       std::shared_ptr<ServiceLog> log = nullptr,
                                       platform::FileSystem* fs = nullptr) {
    if (!log) log = std::make_shared<ServiceLog>();
    FakeSetup setup;
    setup.drives = {{Utf8ToNative(root), Utf8ToNative(root)}};
    ui::Services services = testing::MakeFakeServices(log, setup);
    if (fs) services.fileSystem = fs;
    auto w = std::make_unique<ui::MainWindow>(std::move(services));
    w->Startup();
    w->tv()->SetTicked(1, true);
    return w;
  }

  static void VerifyIdle(ui::MainWindow& w) {
    QCOMPARE(w.asPopup(1)->text(), QStringLiteral("扫描垃圾"));
    QVERIFY(w.asPopup(2)->isEnabled());
    for (int i = 0; i < 4; ++i) QVERIFY(w.uc(i)->isEnabled());
    QCOMPARE(w.windowTitle(), w.label(1)->text());
  }

  static void VerifyScanning(ui::MainWindow& w) {
    QCOMPARE(w.asPopup(1)->text(), QStringLiteral("停止扫描"));
    QVERIFY(!w.asPopup(2)->isEnabled());
    for (int i = 0; i < 4; ++i) QVERIFY(!w.uc(i)->isEnabled());
    QVERIFY(w.asPopup(1)->isEnabled());
    QVERIFY(w.asPopup(3)->isEnabled());
    QVERIFY(w.asPopup(4)->isEnabled());
    QVERIFY(w.tv()->isEnabled());
  }

 private slots:
  void scanRunsToItsEnd() {
    testing::TempTree tree;
    tree.File("a.tmp");
    tree.File("A/b.bak");
    auto w = Make(tree.root());
    QSignalSpy finished(&w->session(), &ui::ScanSession::finished);
    w->asPopup(1)->click();
    VerifyScanning(*w);
    QVERIFY(finished.wait(20000));
    VerifyIdle(*w);
    QVERIFY(w->label(2)->text().isEmpty());
    QCOMPARE(Folders(*w), QStringList({QString::fromStdString(tree.root()),
                                       QString::fromStdString(tree.Path("A/"))}));
    QCOMPARE(w->label(5)->text(), QStringLiteral("2"));
    // Idle, the junk count is the row count, the last entry's row included.
    QCOMPARE(w->label(7)->text(), QStringLiteral("2"));
    QCOMPARE(Names(*w), QStringList({"b.bak", "a.tmp"}));  // newest on top
    // Both flags stay set after a scan that ran to its end.
    QCOMPARE(w->session().state().running.load(), scan::kFlagTrue);
    QVERIFY(w->statusLine()->FullText().contains(QStringLiteral("用时")));
  }

  void tickedLocationsAreWalkedAndTheirRowsLabelled() {
    testing::FakeHome home;
    home.tree().File("home/.cache/keepassxc/keepassxc.ini");  // an app's settings, not junk
    home.SetAge("home/.cache/keepassxc/keepassxc.ini", 90);
    testing::FakeHome::Environment environment(home);
    testing::TempTree disk;
    auto w = Make(disk.root());
    w->tv()->SetTicked(1, false);
    w->tv()->SetTicked(ui::LocationNode(1, 0) - 1, true);  // "扫描常见垃圾位置"
    QSignalSpy finished(&w->session(), &ui::ScanSession::finished);
    w->asPopup(1)->click();
    QVERIFY(finished.wait(20000));
    int planted = 0;
    for (const auto& p : home.planted()) planted += p.location >= 0;
    QCOMPARE(w->model().rowCount(), planted);
    QStringList types;
    for (int r = 0; r < w->model().rowCount(); ++r) types << w->model().Text(r, 2);
    QCOMPARE(types.count(QStringLiteral("回收站")), 7);
    QCOMPARE(types.count(QStringLiteral("旧日志")), 3);
    QVERIFY(w->statusLine()->FullText().contains(QStringLiteral("跳过 1 个使用中的文件夹")));
    QVERIFY(w->statusLine()->FullText().contains(QStringLiteral("保留缓存中的 1 个设置文件")));
    QVERIFY(w->statusLine()->toolTip().contains(QString::fromStdString(home.RunningBrowserLock())));
  }

  void startEmptiesThePreviousResults() {
    testing::TempTree tree;
    tree.File("a.tmp");
    auto w = Make(tree.root());
    QSignalSpy finished(&w->session(), &ui::ScanSession::finished);
    w->asPopup(1)->click();
    QVERIFY(finished.wait(20000));
    QCOMPARE(w->model().rowCount(), 1);
    std::remove(tree.Path("a.tmp").c_str());
    w->asPopup(1)->click();
    QCOMPARE(w->model().rowCount(), 0);  // removed before the first folder is walked
    QVERIFY(finished.wait(20000));
    QCOMPARE(w->model().rowCount(), 0);
    QCOMPARE(Folders(*w).size(), 1);
  }

  void stopWindsDownAsDescribed() {
    testing::TempTree tree;
    tree.File("r.tmp");
    tree.File("A/x.tmp");
    tree.File("A/A1/z.tmp");
    tree.File("B/w.tmp");
    auto w = Make(tree.root());
    Gate gate;
    std::atomic<int> pumps{0};
    w->session().sink().onTick = [&] {
      if (pumps++ == 0) gate.ReachAndWait();
    };
    QSignalSpy finished(&w->session(), &ui::ScanSession::finished);
    w->asPopup(1)->click();
    QVERIFY(gate.WaitReached());  // inside the classification of the root
    w->asPopup(1)->click();       // stop
    VerifyIdle(*w);               // at once, while the scan still runs
    QVERIFY(w->session().Busy());
    QCOMPARE(w->CurrentActivity(), ui::MainWindow::Activity::kStopping);
    QCOMPARE(w->session().state().running.load(), scan::kFlagFalse);
    QCOMPARE(w->session().state().classifying.load(), scan::kFlagFalse);
    gate.Release();
    QVERIFY(finished.wait(20000));
    VerifyIdle(*w);
    QCOMPARE(w->CurrentActivity(), ui::MainWindow::Activity::kIdle);
    // The root was classified to its end; its sub-folders were shown and counted only.
    QCOMPARE(Names(*w), QStringList({"r.tmp"}));
    QStringList folders = Folders(*w);
    QCOMPARE(folders.takeFirst(), QString::fromStdString(tree.root()));
    folders.sort();
    QCOMPARE(folders, QStringList({QString::fromStdString(tree.Path("A/")),
                                   QString::fromStdString(tree.Path("B/"))}));
    QCOMPARE(w->label(5)->text(), QStringLiteral("3"));
  }

  void startDuringWindDownWaitsForIt() {
    testing::TempTree tree;
    tree.File("r.tmp");
    tree.File("A/x.tmp");
    auto w = Make(tree.root());
    Gate gate;
    std::atomic<int> pumps{0};
    w->session().sink().onTick = [&] {
      if (pumps++ == 0) gate.ReachAndWait();
    };
    QSignalSpy finished(&w->session(), &ui::ScanSession::finished);
    w->asPopup(1)->click();
    QVERIFY(gate.WaitReached());
    w->asPopup(1)->click();  // stop
    w->asPopup(1)->click();  // start again while the first scan is still running
    VerifyScanning(*w);
    QVERIFY(w->StartWaiting());
    gate.Release();
    QVERIFY(finished.wait(20000));                            // the first scan
    if (finished.count() < 2) QVERIFY(finished.wait(20000));  // the second, started after it
    VerifyIdle(*w);
    QCOMPARE(w->CurrentActivity(), ui::MainWindow::Activity::kIdle);
    QCOMPARE(Names(*w).size(), 2);  // a whole scan of its own, nothing of the first
    QVERIFY(Names(*w).contains("x.tmp"));
    QCOMPARE(Folders(*w).size(), 2);
  }

  void stopWhileAStartWaitsCancelsIt() {
    testing::TempTree tree;
    tree.File("r.tmp");
    tree.File("A/x.tmp");
    auto w = Make(tree.root());
    Gate gate;
    std::atomic<int> pumps{0};
    w->session().sink().onTick = [&] {
      if (pumps++ == 0) gate.ReachAndWait();
    };
    QSignalSpy finished(&w->session(), &ui::ScanSession::finished);
    w->asPopup(1)->click();
    QVERIFY(gate.WaitReached());
    w->asPopup(1)->click();  // stop
    w->asPopup(1)->click();  // start: waits
    w->asPopup(1)->click();  // stop again: the waiting start is dropped
    VerifyIdle(*w);
    gate.Release();
    QVERIFY(finished.wait(20000));
    QTest::qWait(200);
    QCOMPARE(finished.count(), 1);
    QVERIFY(!w->session().Busy());
  }

  void optionsChangedDuringAScanCountFromTheNextEntry() {
    testing::TempTree tree;
    tree.File("a.tmp");
    tree.File("b.tmp");
    tree.File("c.old");
    auto w = Make(tree.root());
    Gate gate;
    std::atomic<int> pumps{0};
    w->session().sink().onTick = [&] {
      if (pumps++ == 0) gate.ReachAndWait();
    };
    QSignalSpy finished(&w->session(), &ui::ScanSession::finished);
    w->asPopup(1)->click();
    QVERIFY(gate.WaitReached());  // before the first entry's rules are read
    w->settingsDialog()->List1()->item(0)->setCheckState(Qt::Unchecked);  // *.tmp off
    w->settingsDialog()->Check(3)->click();                               // zero-byte files on
    gate.Release();
    QVERIFY(finished.wait(20000));
    QStringList names = Names(*w);
    names.sort();
    // Every entry was read after the change: no .tmp rule; the files are one byte long.
    QCOMPARE(names, QStringList({"c.old"}));
  }

  void treeTicksDecideTheRoots() {
    testing::TempTree tree;
    tree.File("a.tmp");
    auto w = Make(tree.root());
    w->tv()->SetTicked(1, false);
    w->tv()->SetTicked(3, true);  // only the special folders: nothing is walked
    QSignalSpy finished(&w->session(), &ui::ScanSession::finished);
    w->asPopup(1)->click();
    QVERIFY(finished.wait(20000));
    QCOMPARE(w->model().rowCount(), 0);
    QVERIFY(Folders(*w).isEmpty());
    VerifyIdle(*w);
  }

  void auditRunsAfterAStoppedScanWhenTicked() {
    testing::TempTree tree;
    tree.File("a.tmp");
    auto log = std::make_shared<ServiceLog>();
    auto w = Make(tree.root(), log);
    w->settingsDialog()->Check(4)->click();
    Gate gate;
    std::atomic<int> pumps{0};
    w->session().sink().onTick = [&] {
      if (pumps++ == 0) gate.ReachAndWait();
    };
    QSignalSpy finished(&w->session(), &ui::ScanSession::finished);
    w->asPopup(1)->click();
    QVERIFY(gate.WaitReached());
    w->asPopup(1)->click();
    gate.Release();
    QVERIFY(finished.wait(20000));
    QCOMPARE(log->calls.count("audit"), 1);

    w->settingsDialog()->Check(4)->click();  // off again
    w->session().sink().onTick = nullptr;
    w->asPopup(1)->click();
    QVERIFY(finished.wait(20000));
    QCOMPARE(log->calls.count("audit"), 1);
  }

  void auditRowsComeThroughTheSink() {
    testing::TempTree tree;
    auto log = std::make_shared<ServiceLog>();
    FakeSetup setup;
    setup.drives = {{Utf8ToNative(tree.root()), Utf8ToNative(tree.root())}};
    ui::Services services = testing::MakeFakeServices(log, setup);
    services.audit = [](scan::ScanSink& sink) {
      scan::JunkItem item;
      item.fullPath = Utf8ToNative("/usr/lib/old.dll");
      item.fileName = Utf8ToNative("old.dll");
      item.typeLabel = Utf8ToNative("冗余的DLL或组件文件");
      sink.RowFound(std::move(item));
      sink.ProgressTick();
    };
    ui::MainWindow w(std::move(services));
    w.Startup();
    w.settingsDialog()->Check(4)->click();
    QSignalSpy finished(&w.session(), &ui::ScanSession::finished);
    w.asPopup(1)->click();
    QVERIFY(finished.wait(20000));
    QCOMPARE(Names(w), QStringList({"old.dll"}));
    QCOMPARE(w.model().Text(0, 2), QStringLiteral("冗余的DLL或组件文件"));
    QCOMPARE(w.label(7)->text(), QStringLiteral("1"));
  }

  void aFailureInsideTheScanStillRestoresTheWindow() {
    testing::TempTree tree;
    ThrowingFileSystem broken;
    auto w = Make(tree.root(), nullptr, &broken);
    QSignalSpy finished(&w->session(), &ui::ScanSession::finished);
    w->asPopup(1)->click();
    QVERIFY(finished.wait(20000));
    VerifyIdle(*w);
    QVERIFY(!w->session().Busy());
  }

  void unreadableFoldersAreCountedAndListedInChinese() {
    testing::MemoryFileSystem fs;
    auto& root = fs.AddRoot("/m/");
    root.AddFolder("locked").failList = true;
    root.AddFile("x.tmp");
    auto w = Make("/m/", nullptr, &fs);
    QSignalSpy finished(&w->session(), &ui::ScanSession::finished);
    w->asPopup(1)->click();
    QVERIFY(finished.wait(20000));
    QVERIFY(w->statusLine()->FullText().contains(QStringLiteral("1 个文件夹无法读取")));
    w->ShowUnreadableFolders();
    auto* dialog = w->findChild<QDialog*>("unreadableFolders");
    QVERIFY(dialog);
    auto* list = dialog->findChild<QListWidget*>();
    QVERIFY(list);
    QCOMPARE(list->count(), 1);
    QCOMPARE(list->item(0)->text(), QStringLiteral("/m/locked/  (没有权限)"));
    QCOMPARE(ui::ErrorWords(std::make_error_code(std::errc::invalid_argument)),
             QStringLiteral("参数无效"));
    QCOMPARE(ui::ErrorWords(std::error_code(4242, std::system_category())),
             QStringLiteral("系统错误 (代码 4242)"));
  }

  void exitDuringAScanEndsTheWorker() {
    testing::TempTree tree;
    tree.File("A/x.tmp");
    auto w = Make(tree.root());
    Gate gate;
    w->session().sink().onTick = [&] { gate.ReachAndWait(); };
    w->asPopup(1)->click();
    QVERIFY(gate.WaitReached());
    gate.Release();
    w.reset();  // stops and joins
  }
};

QTEST_MAIN(ScanDriverTest)
#include "scan_driver_test.moc"
