// Choosing rows and seeing where the junk is: the summary's bars (each file once, per kind and per
// disk), ticking ranges and kinds, the filter, the row menu, the deletion report's list, the status
// line's shortening, what a deletion freed, and the window's size.
#include <QSignalSpy>
#include <QTest>

#include "deletion_report.h"
#include "fake_services.h"
#include "freed_space.h"
#include "main_window.h"
#include "results_model.h"
#include "results_view.h"
#include "row_menu.h"
#include "scan/junk_rules.h"
#include "scan/locations.h"
#include "status_line.h"
#include "summary_model.h"
#include "summary_view.h"
#include "ui_text.h"

using namespace kelvo;

namespace {

scan::JunkItem Item(const std::string& path, std::uint64_t size, int rule, std::uint64_t device,
                    std::uint64_t inode, const std::string& root = "/") {
  scan::JunkItem item;
  item.fullPath = Utf8ToNative(path);
  item.fileName = Utf8ToNative(path.substr(path.rfind('/') + 1));
  item.typeLabel = Utf8ToNative(rule == scan::kZeroByteRule ? "零字节文件" : "tmp临时文件");
  item.size = size;
  item.bytesOnDisk = (size + 4095) / 4096 * 4096;
  item.rule = rule;
  item.root = Utf8ToNative(root);
  item.identity.emplace();
  item.identity->device = device;
  item.identity->inode = inode;
  item.identity->type = platform::EntryType::kFile;
  return item;
}

void Fill(ui::ResultsModel& model, std::vector<scan::JunkItem> items) {
  ui::TextNumbering labels, roots;
  ui::RowBatch batch;
  for (auto& item : items) batch.rows.push_back(ui::MakeRow(std::move(item), labels, roots, batch));
  model.AppendBatch(std::move(batch));
}

// Two disks; /a/x.tmp listed by *.tmp and as a zero-byte file (one file), /a/y.tmp, /b/z.bak.
std::vector<scan::JunkItem> Mixed() {
  return {Item("/a/x.tmp", 0, 1, 1, 10, "/a/"),
          Item("/a/x.tmp", 0, scan::kZeroByteRule, 1, 10, "/a/"),
          Item("/a/y.tmp", 5000, 1, 1, 11, "/a/"), Item("/b/z.bak", 100, 4, 2, 10, "/b/")};
}

QStringList Paths(const ui::ResultsModel& model) {
  QStringList out;
  for (int r = 0; r < model.rowCount(); ++r) out << model.Text(r, ui::ResultsModel::kPath);
  return out;
}

const ui::SummaryBar* Bar(const std::vector<ui::SummaryBar>& bars, const QString& name) {
  for (const auto& b : bars)
    if (b.name == name) return &b;
  return nullptr;
}

}  // namespace

class ChoosingTest : public QObject {
  Q_OBJECT

 private slots:
  void theSummaryCountsEachFileOncePerKindAndPerDisk() {
    ui::ResultsModel model;
    Fill(model, Mixed());
    QCOMPARE(model.Size(), 4u);
    QCOMPARE(model.Tally().Total().files, 3u);  // x.tmp once
    QCOMPARE(model.TotalBytes(), 5100u);
    const auto bars = ui::SummaryBars(model.Tally(), model.CheckedTally());
    QCOMPARE(bars.size(), 5u);  // three kinds, two disks
    const ui::SummaryBar* tmp = Bar(bars, QStringLiteral("*.tmp(临时文件)"));
    QVERIFY(tmp);
    QCOMPARE(tmp->counts.files, 2u);
    QCOMPARE(tmp->counts.bytes, 5000u);
    QCOMPARE(tmp->counts.bytesOnDisk, 8192u);
    QCOMPARE(Bar(bars, QStringLiteral("零字节文件"))->counts.files, 1u);
    const ui::SummaryBar* a = Bar(bars, QStringLiteral("/a/"));
    const ui::SummaryBar* b = Bar(bars, QStringLiteral("/b/"));
    QVERIFY(a && b);
    QCOMPARE(a->counts.files, 2u);
    QCOMPARE(b->counts.files, 1u);
    QCOMPARE(a->share + b->share, 1.0);
    QCOMPARE(bars.front().name, QStringLiteral("*.tmp(临时文件)"));  // the largest kind first
    QVERIFY(bars.back().kind == ui::SummaryBar::Kind::kDisk);

    model.RemoveRows({0});  // x.tmp by *.tmp: the zero-byte row still lists the file
    QCOMPARE(model.Tally().Total().files, 3u);
    QCOMPARE(ui::SummaryBars(model.Tally(), model.CheckedTally()).size(), 5u);
  }

  void aClickOnABarTicksItsRowsAndASecondUnticksThem() {
    ui::ResultsModel model;
    Fill(model, Mixed());
    ui::SummaryView view(model);
    view.resize(700, 400);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    view.Refresh();
    const auto& bars = view.chart()->Bars();
    int disk = -1;
    for (int i = 0; i < static_cast<int>(bars.size()); ++i)
      if (bars[static_cast<std::size_t>(i)].name == QStringLiteral("/a/")) disk = i;
    QVERIFY(disk >= 0);
    QTest::mouseClick(view.chart(), Qt::LeftButton, {}, view.chart()->BarRect(disk).center());
    QCOMPARE(model.CheckedRows(), 3u);  // the three rows on /a/
    QCOMPARE(model.CheckedTally().Total().files, 2u);
    QVERIFY(view.chart()->Bars()[static_cast<std::size_t>(disk)].AllChecked());
    QTest::mouseClick(view.chart(), Qt::LeftButton, {}, view.chart()->BarRect(disk).center());
    QCOMPARE(model.CheckedRows(), 0u);
  }

  void aClickOnABarCanShowItsRowsAloneAndTheWindowLeadsBack() {
    auto log = std::make_shared<testing::ServiceLog>();
    ui::MainWindow w(testing::MakeFakeServices(log, {}));
    w.Startup();
    Fill(w.model(), Mixed());
    ui::SummaryView* view = w.ShowSummary();
    view->resize(700, 400);
    QVERIFY(QTest::qWaitForWindowExposed(view));
    view->Refresh();
    QVERIFY(!view->showAll()->isEnabled());
    view->showMode()->click();
    QVERIFY(view->showMode()->isChecked());
    const auto& bars = view->chart()->Bars();
    int zero = -1;
    for (int i = 0; i < static_cast<int>(bars.size()); ++i)
      if (bars[static_cast<std::size_t>(i)].kind == ui::SummaryBar::Kind::kKind &&
          bars[static_cast<std::size_t>(i)].rule == scan::kZeroByteRule)
        zero = i;
    QVERIFY(zero >= 0);
    const QString name = bars[static_cast<std::size_t>(zero)].name;
    QTest::mouseClick(view->chart(), Qt::LeftButton, {}, view->chart()->BarRect(zero).center());
    QCOMPARE(Paths(w.model()), QStringList({"/a/x.tmp"}));  // the zero-byte row alone
    QCOMPARE(w.model().CheckedRows(), 0u);                  // and nothing ticked
    QVERIFY(view->showAll()->isEnabled());
    QVERIFY2(w.statusLine()->FullText().contains(QStringLiteral("只显示 ") + name),
             qPrintable(w.statusLine()->FullText()));
    QVERIFY(w.statusLine()->FullText().contains(QStringLiteral("显示全部行")));
    // Tick all acts on the shown rows; the totals stay those of the whole list.
    w.uc(0)->click();
    QCOMPARE(w.model().CheckedRows(), 1u);
    QVERIFY(w.statusLine()->FullText().startsWith(QStringLiteral("共 4 项")));
    // Rows found later join the list shown when they are of the bar, and only then.
    Fill(w.model(), {Item("/b/new.tmp", 0, scan::kZeroByteRule, 2, 20, "/b/"),
                     Item("/b/other.tmp", 1, 1, 2, 21, "/b/")});
    QCOMPARE(Paths(w.model()), QStringList({"/b/new.tmp", "/a/x.tmp"}));
    // A disk's bar narrows to the disk.
    view->Refresh();
    int diskB = -1;
    for (int i = 0; i < static_cast<int>(view->chart()->Bars().size()); ++i)
      if (view->chart()->Bars()[static_cast<std::size_t>(i)].name == QStringLiteral("/b/"))
        diskB = i;
    QVERIFY(diskB >= 0);
    QTest::mouseClick(view->chart(), Qt::LeftButton, {}, view->chart()->BarRect(diskB).center());
    QCOMPARE(Paths(w.model()), QStringList({"/b/other.tmp", "/b/new.tmp", "/b/z.bak"}));
    // The status line's link shows every row again.
    emit w.statusLine()->linkActivated(QStringLiteral("showAll"));
    QCOMPARE(w.model().rowCount(), 6);
    QVERIFY(!w.statusLine()->FullText().contains(QStringLiteral("只显示")));
    // And so does the summary's button; in the ticking mode a click ticks again.
    QTest::mouseClick(view->chart(), Qt::LeftButton, {}, view->chart()->BarRect(diskB).center());
    QCOMPARE(w.model().rowCount(), 3);
    view->Refresh();
    QTest::mouseClick(view->showAll(), Qt::LeftButton);
    QCOMPARE(w.model().rowCount(), 6);
    view->tickMode()->click();
    QTest::mouseClick(view->chart(), Qt::LeftButton, {}, view->chart()->BarRect(diskB).center());
    QCOMPARE(w.model().rowCount(), 6);
    QCOMPARE(w.model().CheckedRows(), 4u);  // /a/x.tmp's zero-byte row and /b/'s three
    // A cleared list shows everything the next scan finds.
    view->showMode()->click();
    QTest::mouseClick(view->chart(), Qt::LeftButton, {}, view->chart()->BarRect(diskB).center());
    w.model().Clear();
    Fill(w.model(), Mixed());
    QCOMPARE(w.model().rowCount(), 4);
  }

  void theSummaryFollowsRowsAsTheyArrive() {
    ui::ResultsModel model;
    ui::SummaryView view(model);
    view.show();
    Fill(model, {Item("/a/1.tmp", 1, 1, 1, 1)});
    QTRY_COMPARE_WITH_TIMEOUT(view.chart()->Bars().size(), 2u, 2000);
    Fill(model, {Item("/a/2.tmp", 1, 4, 1, 2)});
    QTRY_COMPARE_WITH_TIMEOUT(view.chart()->Bars().size(), 3u, 2000);
  }

  void spaceTicksEveryChosenRowAtOnce() {
    ui::ResultsModel model;
    std::vector<scan::JunkItem> items;
    for (int i = 0; i < 3000; ++i)
      items.push_back(
          Item("/r/" + std::to_string(i) + ".tmp", 1, 1, 1, static_cast<std::uint64_t>(i)));
    Fill(model, std::move(items));
    ui::ResultsView view;
    view.setModel(&model);
    view.setSelectionBehavior(QAbstractItemView::SelectRows);
    view.show();
    view.selectionModel()->select(QItemSelection(model.index(10, 0), model.index(2009, 3)),
                                  QItemSelectionModel::Select);
    view.selectionModel()->select(QItemSelection(model.index(2500, 0), model.index(2500, 3)),
                                  QItemSelectionModel::Select);
    view.selectionModel()->setCurrentIndex(model.index(20, 1), QItemSelectionModel::NoUpdate);
    QTest::keyClick(&view, Qt::Key_Space);
    QCOMPARE(model.CheckedRows(), 2001u);
    QVERIFY(model.Checked(10) && model.Checked(2009) && model.Checked(2500));
    QVERIFY(!model.Checked(9) && !model.Checked(2010));
    QCOMPARE(model.CheckedTally().Total().files, 2001u);
    QTest::keyClick(&view, Qt::Key_Space);  // the current row is ticked now: all are unticked
    QCOMPARE(model.CheckedRows(), 0u);

    // A tick on a chosen row goes to every chosen row; on a row not chosen, to it alone.
    model.SetChecked(15, true);
    view.TickSelectionLike(15);
    QCOMPARE(model.CheckedRows(), 2001u);
    model.SetChecked(5, true);
    view.TickSelectionLike(5);
    QCOMPARE(model.CheckedRows(), 2002u);
  }

  void theFilterNarrowsTheShownRowsButNotTheTicks() {
    ui::ResultsModel model;
    Fill(model, Mixed());
    model.SetChecked(0, true);  // z.bak, the newest
    model.SetFilter(QStringLiteral("X.TMP"));
    QCOMPARE(Paths(model), QStringList({"/a/x.tmp", "/a/x.tmp"}));
    model.SetFilter(QStringLiteral("零字节"));  // the type column counts too
    QCOMPARE(Paths(model), QStringList({"/a/x.tmp"}));
    model.SetFilter(QStringLiteral(".tmp"));
    QCOMPARE(Paths(model), QStringList({"/a/y.tmp", "/a/x.tmp", "/a/x.tmp"}));
    Fill(model, {Item("/c/new.tmp", 1, 1, 3, 1, "/c/"), Item("/c/new.bak", 1, 4, 3, 2, "/c/")});
    QCOMPARE(Paths(model).first(), QStringLiteral("/c/new.tmp"));  // on top, the .bak hidden
    QCOMPARE(model.rowCount(), 4);
    model.SetAllChecked(true);  // the shown rows only
    QCOMPARE(model.CheckedRows(), 5u);
    model.sort(ui::ResultsModel::kPath, Qt::AscendingOrder);
    QCOMPARE(Paths(model), QStringList({"/a/x.tmp", "/a/x.tmp", "/a/y.tmp", "/c/new.tmp"}));
    model.SetFilter(QString());
    QCOMPARE(model.rowCount(), 6);
    // The bottom-up list of ticked rows holds the hidden ticked row too, and not the unticked one.
    QCOMPARE(model.CheckedBottomUp().size(), 5u);
    model.SetFilter(QStringLiteral("y.tmp"));
    model.RemoveChecked();
    QCOMPARE(model.rowCount(), 0);
    model.SetFilter(QString());
    QCOMPARE(Paths(model), QStringList({"/c/new.bak"}));
  }

  void theRowMenuTicksAKindAndCopiesTheChosenPaths() {
    ui::ResultsModel model;
    Fill(model, Mixed());  // shown: z.bak, y.tmp, x.tmp (zero), x.tmp (tmp)
    ui::RowMenu menu(model, 1, {1, 3}, nullptr);
    menu.findChild<QAction*>("tickKind")->trigger();
    QCOMPARE(model.CheckedRows(), 2u);  // both *.tmp rows
    QVERIFY(model.Checked(1) && model.Checked(3) && !model.Checked(2));
    QCOMPARE(menu.CopiedText(), QStringLiteral("/a/y.tmp\n/a/x.tmp"));
    menu.findChild<QAction*>("untickKind")->trigger();
    QCOMPARE(model.CheckedRows(), 0u);
    ui::RowMenu alone(model, 0, {1, 3}, nullptr);  // a row not chosen copies its own path
    QCOMPARE(alone.CopiedText(), QStringLiteral("/b/z.bak"));
    QVERIFY(alone.findChild<QAction*>("openFolder")->isEnabled());
    QCOMPARE(ui::ToQString(ui::RowMenu::FolderOf(Utf8ToNative("/b/z.bak"))), QStringLiteral("/b"));
    QCOMPARE(ui::ToQString(ui::RowMenu::FolderOf(Utf8ToNative("/top"))), QStringLiteral("/"));
    QVERIFY(!alone.findChild<QMenu*>("keepMenu")->isEnabled());
  }

  void aRowsTooltipSaysWhatListedIt() {
    ui::ResultsModel model;
    Fill(model, {Item("/a/x.tmp", 1, 1, 1, 1), Item("/v/log.1", 1, scan::LocationRule(0), 1, 2)});
    const QString location = model.data(model.index(0, 2), Qt::ToolTipRole).toString();
    QVERIFY2(location.contains(QStringLiteral("位置: ")), qPrintable(location));
    const QString rule = model.data(model.index(1, 0), Qt::ToolTipRole).toString();
    QVERIFY2(rule.contains(QStringLiteral("规则: *.tmp(临时文件)")), qPrintable(rule));
    QVERIFY(rule.contains(QStringLiteral("/a/x.tmp")));
  }

  void theReportListsEveryFileWithItsReason() {
    std::vector<ui::ReportLine> lines;
    for (int i = 0; i < 500; ++i)
      lines.push_back({QStringLiteral("/d/f%1").arg(i),
                       i % 2 ? QStringLiteral("没有权限") : QStringLiteral("文件正在使用")});
    ui::DeletionReport report({QStringLiteral("500 个文件未能删除")}, lines);
    report.show();
    QCOMPARE(report.list()->rowCount(), 500);
    const QStringList copied = report.CopyText().split(QLatin1Char('\n'));
    QCOMPARE(copied.size(), 500);
    QCOMPARE(copied[1], QStringLiteral("/d/f1\t没有权限"));
    report.list()->selectRow(7);
    QCOMPARE(report.CopyText(), QStringLiteral("/d/f7\t没有权限"));
    QVERIFY(report.summary()->text().contains(QStringLiteral("500 个文件未能删除")));
  }

  void theStatusLineShortensItsPartsAndKeepsItsLinks() {
    ui::StatusLine line;
    line.resize(200, 16);
    line.show();
    line.SetParts({QStringLiteral("已移到回收站 3 个 (/home/ann/.local/share/Trash)"),
                   QStringLiteral("用时 0.7 秒")},
                  {{QStringLiteral("summary"), QStringLiteral("垃圾分布")}});
    QVERIFY(line.Elided());
    QVERIFY(line.text().contains(QStringLiteral("…")));
    QVERIFY(line.text().contains(QStringLiteral("<a href=\"summary\">垃圾分布</a>")));
    QCOMPARE(line.toolTip(), QStringLiteral("已移到回收站 3 个 (/home/ann/.local/share/Trash) · "
                                            "用时 0.7 秒 · 垃圾分布"));
    line.resize(2000, 16);
    QVERIFY(!line.Elided());
    QVERIFY(line.toolTip().isEmpty());
  }

  void aDeletionsFreedSpaceIsMeasuredOnEachDisk() {
    ui::FreedSpaceMeter meter;
    std::map<std::string, std::uint64_t> free = {{"/a/", 1000}, {"/b/", 50}};
    auto deleteItems = [&](const std::vector<scan::JunkItem>& items,
                           const ui::DeletionProgressFunction&, const ui::DeletionChoice&) {
      free["/a/"] += 8192;
      return std::vector<cleanup::DeletionResult>(items.size());
    };
    auto freeSpace = [&](const NativeString& folder) -> std::optional<std::uint64_t> {
      const auto it = free.find(NativeToUtf8(folder));
      if (it == free.end()) return std::nullopt;
      return it->second;
    };
    ui::DeleteFunction wrapped = meter.Wrap(deleteItems, freeSpace);
    auto items = Mixed();
    items.push_back(Item("/c/q.tmp", 1, 1, 3, 1, "/c/"));  // a disk whose space cannot be read
    wrapped(items, {}, {});
    const auto disks = meter.Last();
    QCOMPARE(disks.size(), 3u);  // one per device, in the order met
    QCOMPARE(NativeToUtf8(disks[0].disk), std::string("/a/"));
    QCOMPARE(*disks[0].Freed(), std::int64_t{8192});
    QCOMPARE(*disks[1].Freed(), std::int64_t{0});
    QVERIFY(!disks[2].Freed());
  }

  void theWindowGrowsItsListAndTreeAndShowsItsIcon() {
    auto log = std::make_shared<testing::ServiceLog>();
    ui::MainWindow w(testing::MakeFakeServices(log, {}));
    w.Startup();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QCOMPARE(w.size(), QSize(614, 430));
    const QRect list = w.lv()->geometry(), tree = w.tv()->geometry();
    const QRect frame = w.frame1()->geometry();
    w.resize(900, 600);
    QCOMPARE(w.lv()->width(), list.width() + 286);
    QCOMPARE(w.lv()->height(), list.height() + 170);
    QCOMPARE(w.tv()->height(), tree.height() + 170);
    QCOMPARE(w.frame1()->y(), frame.y() + 170);
    QCOMPARE(w.statusLine()->width(), 433 + 286);
    w.resize(614, 430);
    QCOMPARE(w.lv()->geometry(), list);
    QVERIFY(w.minimumHeight() <= 400);  // 200% on an 800-pixel screen
    QVERIFY(!w.windowIcon().isNull());
  }

  void aHardLinkWithANameLeftIsSaidToFreeNothing() {
    auto log = std::make_shared<testing::ServiceLog>();
    ui::MainWindow w(testing::MakeFakeServices(log, {}));
    w.Startup();
    auto linked = Item("/a/one.tmp", 10, 1, 1, 77);
    linked.links = 2;  // its other name is no row
    auto pairA = Item("/a/p.tmp", 10, 1, 1, 78), pairB = Item("/a/q.tmp", 10, 1, 1, 78);
    pairA.links = pairB.links = 2;  // both names are rows
    Fill(w.model(), {linked, pairA, pairB});
    w.model().SetAllChecked(true);
    QCOMPARE(w.selectionLine()->text(), QStringLiteral("已选 2 个, 20 B, 可释放 4.0 KB"));
    w.asPopup(2)->click();
    QTRY_VERIFY_WITH_TIMEOUT(!w.Deleting(), 20000);
    QVERIFY2(
        w.statusLine()->FullText().contains(QStringLiteral("1 个文件另有名字留下, 未释放空间")),
        qPrintable(w.statusLine()->FullText()));
  }

  void theSelectionLineFollowsTheTicks() {
    auto log = std::make_shared<testing::ServiceLog>();
    ui::MainWindow w(testing::MakeFakeServices(log, {}));
    w.Startup();
    Fill(w.model(), Mixed());
    w.model().SetAllChecked(true);
    QCOMPARE(w.selectionLine()->text(), QStringLiteral("已选 3 个, 5.0 KB, 可释放 12.0 KB"));
    w.model().SetAllChecked(false);
    QCOMPARE(w.selectionLine()->text(), QStringLiteral("已选 0 个, 0 B"));
    QVERIFY(w.statusLine()->FullText().startsWith(
        QStringLiteral("共 4 项, 3 个文件, 5.0 KB (占用 12.0 KB)")));
  }

  void theStatusLineCountsTheRowsNeedingAnAdministrator() {
    auto log = std::make_shared<testing::ServiceLog>();
    ui::MainWindow w(testing::MakeFakeServices(log, {}));
    w.Startup();
    std::vector<scan::JunkItem> items = Mixed();
    items[0].needsAdmin = items[1].needsAdmin = true;  // one file, two rows: counted as rows
    Fill(w.model(), items);
    QVERIFY2(w.statusLine()->FullText().contains(QStringLiteral(" · 2 个需要管理员权限")),
             qPrintable(w.statusLine()->FullText()));
    w.model().RemoveRows({0});
    QVERIFY2(w.statusLine()->FullText().contains(QStringLiteral(" · 1 个需要管理员权限")),
             qPrintable(w.statusLine()->FullText()));
    w.model().RemoveRows({0});
    QVERIFY(!w.statusLine()->FullText().contains(QStringLiteral("管理员")));
  }
};

QTEST_MAIN(ChoosingTest)
#include "choosing_test.moc"
