// Deleting the ticked rows through the deletion service: bottom-up order, rows of deleted and
// already-gone files leave the list, failed rows stay, the user is told why, counters are emptied.
#include <QMessageBox>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <fstream>
#include <thread>

#include "fake_services.h"
#include "main_window.h"
#include "support/temp_tree.h"

using namespace kelvo;
using kelvo::testing::FakeSetup;
using kelvo::testing::ServiceLog;

namespace {

QString ReportText(const ui::DeletionReport* report) {
  return report->summary()->text() + QLatin1Char('\n') + report->CopyText();
}

scan::JunkItem Item(const std::string& path, std::uint64_t size) {
  scan::JunkItem item;
  item.fullPath = Utf8ToNative(path);
  item.fileName = Utf8ToNative(path.substr(path.rfind('/') + 1));
  item.typeLabel = Utf8ToNative("tmp临时文件");
  item.size = size;
  item.rule = 1;
  return item;
}

void Fill(ui::MainWindow& w, std::vector<std::string> paths) {
  ui::TextNumbering labels, roots;
  ui::RowBatch batch;
  for (auto& p : paths) batch.rows.push_back(ui::MakeRow(Item(p, 10), labels, roots, batch));
  w.model().AppendBatch(std::move(batch));
}

QStringList Paths(ui::MainWindow& w) {
  QStringList out;
  for (int r = 0; r < w.model().rowCount(); ++r) out << w.model().Text(r, 1);
  return out;
}

}  // namespace

class DeletionTest : public QObject {
  Q_OBJECT

 private slots:
  void nothingTickedOnlyEmptiesTheCounters() {
    auto log = std::make_shared<ServiceLog>();
    ui::MainWindow w(testing::MakeFakeServices(log, {}));
    w.Startup();
    Fill(w, {"/a", "/b"});
    w.label(5)->setText("5");
    w.label(7)->setText("2");
    w.asPopup(2)->click();
    QTRY_VERIFY_WITH_TIMEOUT(!w.Deleting(), 20000);
    QCOMPARE(w.model().rowCount(), 2);
    QVERIFY(log->calls.filter("delete").isEmpty());
    QVERIFY(w.label(5)->text().isEmpty());
    QVERIFY(w.label(7)->text().isEmpty());
  }

  void tickedRowsGoBottomUp() {
    auto log = std::make_shared<ServiceLog>();
    ui::MainWindow w(testing::MakeFakeServices(log, {}));
    w.Startup();
    Fill(w, {"/a", "/b", "/c"});  // shown c, b, a
    w.model().SetChecked(0, true);
    w.model().SetChecked(2, true);
    w.label(7)->setText("3");
    w.asPopup(2)->click();
    QTRY_VERIFY_WITH_TIMEOUT(!w.Deleting(), 20000);
    QCOMPARE(log->calls.filter("delete"), QStringList({"delete /a", "delete /c"}));
    QCOMPARE(Paths(w), QStringList({"/b"}));
    QVERIFY(!w.model().Checked(0));  // the unticked row keeps its mark
    QVERIFY(w.label(7)->text().isEmpty());
    QVERIFY(w.asPopup(1)->isEnabled() && w.asPopup(2)->isEnabled() && w.uc(0)->isEnabled());
    QVERIFY(w.deletionReport() == nullptr);
  }

  void failuresStayAndAreExplained() {
    auto log = std::make_shared<ServiceLog>();
    FakeSetup setup;
    setup.deleteOutcome = cleanup::DeletionOutcome::kFailed;
    ui::MainWindow w(testing::MakeFakeServices(log, setup));
    w.Startup();
    Fill(w, {"/a", "/b"});
    w.uc(0)->click();
    w.asPopup(2)->click();
    QTRY_VERIFY_WITH_TIMEOUT(!w.Deleting(), 20000);
    QCOMPARE(Paths(w), QStringList({"/b", "/a"}));
    auto* box = w.deletionReport();
    QVERIFY(box != nullptr);
    QVERIFY(ReportText(box).contains(QStringLiteral("2 个文件未能删除")));
    QVERIFY(ReportText(box).contains(QStringLiteral("/a\t没有权限")));
    QVERIFY(w.statusLine()->FullText().contains(QStringLiteral("2 个未能删除")));
    box->close();
  }

  void anUnreadableKeepListDeletesNothing() {
    auto log = std::make_shared<ServiceLog>();
    ui::Services services = testing::MakeFakeServices(log, {});
    services.readKeepList = [](const NativeString&) -> Result<std::vector<settings::KeepEntry>> {
      return Fail(std::errc::permission_denied);
    };
    ui::MainWindow w(std::move(services));
    w.Startup();
    Fill(w, {"/a", "/b"});
    w.uc(0)->click();
    w.asPopup(2)->click();
    QTRY_VERIFY_WITH_TIMEOUT(!w.Deleting(), 20000);
    QVERIFY(log->calls.filter("delete").isEmpty());
    QCOMPARE(w.model().rowCount(), 2);
    auto* box = w.findChild<QMessageBox*>("keepListUnreadable");
    QVERIFY(box != nullptr);
    QVERIFY(box->text().startsWith(QStringLiteral("保留列表无法读取")));
    box->close();
    QVERIFY(w.statusLine()->text().contains(QStringLiteral("保留列表无法读取")));
  }

  void mixedOutcomes() {
    auto log = std::make_shared<ServiceLog>();
    ui::Services services = testing::MakeFakeServices(log, {});
    services.deleteItems = [](const std::vector<scan::JunkItem>& items,
                              const ui::DeletionProgressFunction&, const ui::DeletionChoice&) {
      std::vector<cleanup::DeletionResult> out(items.size());
      for (std::size_t i = 0; i < items.size(); ++i) {
        const std::string path = NativeToUtf8(items[i].fullPath);
        if (path == "/gone") out[i].outcome = cleanup::DeletionOutcome::kAlreadyGone;
        if (path == "/ok") out[i].outcome = cleanup::DeletionOutcome::kDeleted;
        if (path == "/busy") out[i].failure = cleanup::DeletionFailure::kInUse;
      }
      return out;
    };
    ui::MainWindow w(std::move(services));
    w.Startup();
    Fill(w, {"/ok", "/gone", "/busy"});
    w.uc(0)->click();
    w.asPopup(2)->click();
    QTRY_VERIFY_WITH_TIMEOUT(!w.Deleting(), 20000);
    QCOMPARE(Paths(w), QStringList({"/busy"}));  // a file already gone counts as deleted
    QVERIFY(w.model().Checked(0));
    auto* box = w.deletionReport();
    QVERIFY(box != nullptr);
    QVERIFY(ReportText(box).contains(QStringLiteral("/busy\t文件正在使用")));
    box->close();
  }

  void aServiceThatFailsKeepsEveryRow() {
    auto log = std::make_shared<ServiceLog>();
    ui::Services services = testing::MakeFakeServices(log, {});
    services.deleteItems = [](const std::vector<scan::JunkItem>&,
                              const ui::DeletionProgressFunction&,
                              const ui::DeletionChoice&) -> std::vector<cleanup::DeletionResult> {
      throw std::runtime_error("service broke");
    };
    ui::MainWindow w(std::move(services));
    w.Startup();
    Fill(w, {"/a"});
    w.uc(0)->click();
    w.asPopup(2)->click();
    QTRY_VERIFY_WITH_TIMEOUT(!w.Deleting(), 20000);
    QCOMPARE(Paths(w), QStringList({"/a"}));
    if (auto* box = w.deletionReport()) box->close();
  }

  void realFilesOfAScan() {
    kelvo::testing::TempTree tree;
    tree.File("keep.tmp");
    tree.File("gone.tmp");
    tree.File("changed.tmp");
    tree.File("sub/deep.bak");
    ui::Services services = ui::DefaultServices();
    services.listDrives = [&tree] {
      return std::vector<platform::Drive>{{Utf8ToNative(tree.root()), Utf8ToNative(tree.root())}};
    };
    services.installComponents = [] {};
    services.readTipsSwitch = [](const NativeString&) { return std::int16_t(0); };
    ui::MainWindow w(std::move(services));
    w.Startup();
    w.tv()->SetTicked(1, true);
    QSignalSpy finished(&w.session(), &ui::ScanSession::finished);
    w.asPopup(1)->click();
    QVERIFY(finished.wait(20000));
    QCOMPARE(w.model().rowCount(), 4);
    ::unlink(tree.Path("gone.tmp").c_str());
    ::unlink(tree.Path("changed.tmp").c_str());
    tree.File("changed.tmp", "another file under the same name");
    w.uc(0)->click();
    for (int r = 0; r < w.model().rowCount(); ++r)
      if (w.model().Text(r, 0) == "keep.tmp") w.model().SetChecked(r, false);
    w.asPopup(2)->click();
    QTRY_VERIFY_WITH_TIMEOUT(!w.Deleting(), 20000);
    QStringList left;
    for (int r = 0; r < w.model().rowCount(); ++r) left << w.model().Text(r, 0);
    left.sort();
    QCOMPARE(left, QStringList({"changed.tmp", "keep.tmp"}));
    QVERIFY(::access(tree.Path("sub/deep.bak").c_str(), F_OK) != 0);
    QVERIFY(::access(tree.Path("changed.tmp").c_str(), F_OK) == 0);  // not the file the scan saw
    QVERIFY(::access(tree.Path("keep.tmp").c_str(), F_OK) == 0);
    auto* box = w.deletionReport();
    QVERIFY(box != nullptr);
    QVERIFY(ReportText(box).contains(QStringLiteral("1 个文件未能删除")));
    QVERIFY(ReportText(box).contains(QStringLiteral("扫描之后已被改动")));
    box->close();
  }

  // A deletion whose first file waits for go; each later file is deleted only if not stopped.
  static ui::Services SlowDeletion(std::atomic<bool>& go, std::atomic<int>& deleted) {
    ui::Services services = testing::MakeFakeServices(std::make_shared<ServiceLog>(), {});
    services.deleteItems = [&go, &deleted](const std::vector<scan::JunkItem>& items,
                                           const ui::DeletionProgressFunction& progress,
                                           const ui::DeletionChoice&) {
      std::vector<cleanup::DeletionResult> out;
      for (std::size_t i = 0; i < items.size(); ++i) {
        while (!go.load()) std::this_thread::yield();
        out.push_back(
            {cleanup::DeletionOutcome::kDeleted, cleanup::DeletionFailure::kNone, {}, 0, {}});
        ++deleted;
        if (!progress(out.size(), items.size())) break;
      }
      return out;
    };
    return services;
  }

  void theDeleteButtonStopsTheDeletionAfterTheFileInHand() {
    std::atomic<bool> go{false};
    std::atomic<int> deleted{0};
    ui::MainWindow w(SlowDeletion(go, deleted));
    w.Startup();
    Fill(w, {"/a", "/b", "/c"});
    w.uc(0)->click();
    w.asPopup(2)->click();
    QCOMPARE(w.CurrentActivity(), ui::MainWindow::Activity::kDeleting);
    QVERIFY(!w.asPopup(1)->isEnabled());
    QVERIFY(!w.uc(3)->isEnabled());
    QCOMPARE(w.asPopup(2)->text(), QStringLiteral("停止删除"));
    QVERIFY(w.asPopup(2)->isEnabled());
    w.asPopup(2)->click();
    go = true;
    QTRY_VERIFY_WITH_TIMEOUT(!w.Deleting(), 20000);
    QCOMPARE(deleted.load(), 1);
    QCOMPARE(w.model().rowCount(), 2);
    QCOMPARE(w.CurrentActivity(), ui::MainWindow::Activity::kIdle);
    QCOMPARE(w.asPopup(2)->text(), QStringLiteral("清除垃圾"));
    QVERIFY(w.statusLine()->FullText().contains(QStringLiteral("已删除 1 个 · 已停止")));
  }

  void exitDuringADeletionStopsItThenCloses() {
    std::atomic<bool> go{false};
    std::atomic<int> deleted{0};
    ui::MainWindow w(SlowDeletion(go, deleted));
    w.Startup();
    w.show();
    Fill(w, {"/a", "/b", "/c"});
    w.uc(0)->click();
    w.asPopup(2)->click();
    w.asPopup(4)->click();
    QVERIFY(w.isVisible());
    go = true;
    QTRY_VERIFY_WITH_TIMEOUT(!w.Deleting(), 20000);
    QCOMPARE(deleted.load(), 1);
    QTRY_VERIFY(!w.isVisible());
  }

  void theNoteCountsFilesAndAnOptionAsksFirst() {
    ui::MainWindow w(testing::MakeFakeServices(std::make_shared<ServiceLog>(), {}));
    w.Startup();
    w.options().SetConfirmDeletion(true);
    Fill(w, {"/a", "/a", "/b"});  // two rows for one file
    w.uc(0)->click();
    QString asked;
    auto answer = [&](QMessageBox::StandardButton button) {
      QTimer::singleShot(0, &w, [&, button] {
        auto* box = w.findChild<QMessageBox*>("confirmDeletion");
        QVERIFY(box);
        asked = box->text();
        QCOMPARE(box->button(button)->text(), button == QMessageBox::Yes ? "是" : "否");
        box->button(button)->click();
      });
    };
    answer(QMessageBox::No);
    w.asPopup(2)->click();
    QCOMPARE(asked, QStringLiteral("删除 2 个文件 (共 20 B)?"));
    QVERIFY(!w.Deleting());
    QCOMPARE(w.model().rowCount(), 3);
    answer(QMessageBox::Yes);
    w.asPopup(2)->click();
    QTRY_VERIFY_WITH_TIMEOUT(!w.Deleting(), 20000);
    QCOMPARE(w.model().rowCount(), 0);
  }

  // The trash is said in the question and the note; a row kept since the scan, through the row's
  // own menu, stays when its turn comes, counted in the note and not as a failure.
  void theTrashIsAskedForAndARowKeptFromItsMenuStays() {
    auto log = std::make_shared<ServiceLog>();
    ui::Services services = testing::MakeFakeServices(log, {});
    services.writeKeepList = [log](const NativeString&,
                                   const std::vector<settings::KeepEntry>& entries) {
      for (const auto& e : entries)
        log->Add("keep " + QString::fromStdString(NativeToUtf8(e.text)));
      return std::error_code();
    };
    ui::MainWindow w(std::move(services));
    w.Startup();
    w.options().SetConfirmDeletion(true);
    w.settingsDialog()->TrashCheck()->click();
    Fill(w, {"/p/a[1].tmp", "/q/b.tmp", "/r/c.tmp"});  // shown c, b, a
    QMenu* menu = w.RowMenu(2);
    menu->findChild<QAction*>("keepRowEntry")->trigger();
    delete menu;
    menu = w.RowMenu(1);
    menu->findChild<QAction*>("keepRowFolder")->trigger();
    delete menu;
    QCOMPARE(log->calls.filter("keep").last(), QStringLiteral("keep /q"));
    QCOMPARE(w.settingsDialog()->KeepList()->Entries()->count(), 2);
    w.uc(0)->click();
    QString asked;
    QTimer::singleShot(0, &w, [&] {
      auto* box = w.findChild<QMessageBox*>("confirmDeletion");
      QVERIFY(box);
      asked = box->text();
      box->button(QMessageBox::Yes)->click();
    });
    w.asPopup(2)->click();
    QCOMPARE(asked, QStringLiteral("将 3 个文件 (共 30 B) 移到回收站?"));
    QTRY_VERIFY_WITH_TIMEOUT(!w.Deleting(), 20000);
    QCOMPARE(log->calls.filter("trash /"), QStringList({"trash /r/c.tmp"}));
    QCOMPARE(Paths(w), QStringList({"/q/b.tmp", "/p/a[1].tmp"}));
    QVERIFY(w.statusLine()->FullText().contains(
        QStringLiteral("已移到回收站 1 个 (/home/u/.local/share/Trash) · 2 个在保留列表中")));
    QVERIFY(!w.statusLine()->FullText().contains(QStringLiteral("未能删除")));
    QVERIFY(!w.deletionReport());
  }

  // A row only an administrator may remove is not promised with the user's own: the elevated
  // step is offered after them, and its report is put in the same words. The stand-in for pkexec
  // ("env") runs the step as the test runs, which is root.
  void rowsNeedingAnAdministratorAreOfferedAfterTheUsersOwn() {
    testing::TempTree t;
    t.File("sys/b.tmp", "system junk");
    qputenv("KELVO_ELEVATE", "env");
    auto log = std::make_shared<ServiceLog>();
    ui::MainWindow w(testing::MakeFakeServices(log, {}));
    w.Startup();
    ui::TextNumbering labels, roots;
    ui::RowBatch batch;
    scan::JunkItem system = Item(t.PathUtf8("sys/b.tmp"), 11);
    struct stat st;
    QCOMPARE(::lstat(system.fullPath.c_str(), &st), 0);
    system.identity = scan::EntryIdentity{
        st.st_dev, st.st_ino, platform::EntryType::kFile,
        std::int64_t{st.st_mtim.tv_sec} * 1'000'000'000 + st.st_mtim.tv_nsec, std::nullopt};
    system.root = t.root();
    system.needsAdmin = true;
    batch.rows.push_back(ui::MakeRow(Item("/p/own.tmp", 10), labels, roots, batch));
    batch.rows.push_back(ui::MakeRow(std::move(system), labels, roots, batch));
    w.model().AppendBatch(std::move(batch));
    w.uc(0)->click();
    w.asPopup(2)->click();
    QTRY_VERIFY_WITH_TIMEOUT(w.findChild<QMessageBox*>("adminOffer"), 20000);
    QCOMPARE(log->calls.filter("delete /"), QStringList({"delete /p/own.tmp"}));
    w.findChild<QMessageBox*>("adminOffer")->button(QMessageBox::Yes)->click();
    QTRY_COMPARE_WITH_TIMEOUT(w.model().rowCount(), 0, 20000);
    QVERIFY(!testing::Exists(t.Path("sys/b.tmp")));
    qunsetenv("KELVO_ELEVATE");
  }
};

QTEST_MAIN(DeletionTest)
#include "deletion_test.moc"
