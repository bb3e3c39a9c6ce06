// The scan target tree: node order, keys, texts and images; ticks passed down from both roots and
// never up; every tick reaching the scan's live options.
#include <QTest>

#include "live_options.h"
#include "target_tree.h"

using namespace kelvo;

class TreeTest : public QObject {
  Q_OBJECT

  static std::vector<platform::Drive> TwoDrives() {
    return {{Utf8ToNative("C:\\"), Utf8ToNative("C:\\(SYSTEM)")},
            {Utf8ToNative("D:\\"), Utf8ToNative("D:\\")}};
  }

 private slots:
  void nodesInOrder() {
    ui::LiveOptions options;
    ui::TargetTree tree(options);
    tree.createtv(TwoDrives());
    QCOMPARE(tree.NodeCount(), 9 + scan::kLocationCount);
    const QStringList keys = {
        "a", "C:\\", "D:\\", "b", "最近的文档记录", "历史记录", "IE COOKIES", "IE 临时缓存文件夹"};
    const QStringList texts = {"扫描硬盘",   "C:\\(SYSTEM)", "D:\\",       "扫描特殊文件夹",
                               "最近的文档", "历史记录",     "IE COOKIES", "IE 临时缓存文件夹"};
    const int images[] = {3, 1, 1, 3, 2, 2, 2, 2};
    for (int n = 1; n <= 8; ++n) {
      QCOMPARE(tree.Key(n), keys[n - 1]);
      QCOMPARE(tree.Node(n)->text(0), texts[n - 1]);
      QCOMPARE(tree.ImageOf(n), images[n - 1]);
      QVERIFY(!tree.Ticked(n));
    }
    QCOMPARE(tree.Node(1)->childCount(), 2);
    QCOMPARE(tree.Node(4)->childCount(), 4);
    QVERIFY(tree.Node(1)->isExpanded());
    QVERIFY(tree.Node(4)->isExpanded());
    QCOMPARE(options.DriveCount(), 2);
    QCOMPARE(options.NodeKey(2), Utf8ToNative("C:\\"));
    // The third root: one node per junk location, in the locations' order, after the first two.
    QCOMPARE(tree.Key(9), QStringLiteral("c"));
    QCOMPARE(tree.Node(9)->text(0), QStringLiteral("扫描常见垃圾位置"));
    QCOMPARE(tree.ImageOf(9), 3);
    QVERIFY(!tree.Node(9)->parent());
    const QStringList locationTexts = {"缩略图缓存",   "回收站",       "浏览器缓存",
                                       "应用缓存",     "崩溃转储",     "软件包缓存",
                                       "旧日志",       "未完成的下载", "Snap应用缓存",
                                       "开发工具缓存", "旧临时文件",   "归档的系统日志"};
    QCOMPARE(locationTexts.size(), scan::kLocationCount);
    for (int i = 0; i < scan::kLocationCount; ++i) {
      const int n = ui::LocationNode(2, i);
      QCOMPARE(tree.Node(n)->parent(), tree.Node(9));
      QCOMPARE(tree.Key(n).toStdString(), scan::kLocations[std::size_t(i)].key);
      QCOMPARE(tree.Node(n)->text(0), locationTexts[i]);
      QCOMPARE(tree.ImageOf(n), 2);
      QVERIFY(!tree.Ticked(n));
    }
  }

  void locationsRootTicksItsChildrenOnly() {
    ui::LiveOptions options;
    ui::TargetTree tree(options);
    tree.createtv(TwoDrives());
    tree.SetTicked(9, true);
    for (int n = 10; n < 10 + scan::kLocationCount; ++n) QVERIFY(tree.Ticked(n));
    for (int n = 1; n <= 8; ++n) QVERIFY(!tree.Ticked(n));
    QVERIFY(options.TickedLocations().all());
    tree.SetTicked(ui::LocationNode(2, scan::kTrash), false);
    QVERIFY(tree.Ticked(9));
    QVERIFY(!options.TickedLocations()[scan::kTrash]);
    QCOMPARE(options.TickedLocations().count(), std::size_t{scan::kLocationCount - 1});
    tree.SetTicked(9, false);
    QVERIFY(options.TickedLocations().none());
  }

  void builtOnce() {
    ui::LiveOptions options;
    ui::TargetTree tree(options);
    tree.createtv(TwoDrives());
    tree.createtv(TwoDrives());
    QCOMPARE(tree.NodeCount(), 9 + scan::kLocationCount);
  }

  void drivesRootTicksEveryDriveAndClearsThemAll() {
    ui::LiveOptions options;
    ui::TargetTree tree(options);
    tree.createtv(TwoDrives());
    tree.SetTicked(3, true);
    tree.SetTicked(1, true);
    QVERIFY(tree.Ticked(2) && tree.Ticked(3));
    QVERIFY(!tree.Ticked(4) && !tree.Ticked(5));  // the other root and its children stay
    tree.SetTicked(2, false);
    QVERIFY(tree.Ticked(1));  // a child never changes its parent
    QCOMPARE(tree.Node(1)->checkState(0), Qt::Checked);
    tree.SetTicked(1, false);
    QVERIFY(!tree.Ticked(2) && !tree.Ticked(3));
    QVERIFY(!options.NodeTicked(2) && !options.NodeTicked(3));
  }

  void aScanWalksTheTickedDrivesInNodeOrderThenTheAudit() {
    ui::LiveOptions options;
    ui::TargetTree tree(options);
    tree.createtv(TwoDrives());
    tree.SetTicked(3, true);
    tree.SetTicked(5, true);  // a special folder is a rule, never a root
    const scan::ScanRequest request = options.TickedRoots();
    QCOMPARE(request.roots.size(), std::size_t{2});
    QVERIFY(request.roots[0].kind == scan::RootKind::kDisk);
    QCOMPARE(request.roots[0].path, Utf8ToNative("D:\\"));
    QVERIFY(request.roots[1].kind == scan::RootKind::kAudit);
  }

  // The drive ticks count when the walk reaches each drive, not when the scan starts.
  void aDriveTickedOrUntickedDuringAScanCountsWhenTheWalkReachesIt() {
    ui::LiveOptions options;
    ui::TargetTree tree(options);
    tree.createtv(TwoDrives());
    tree.SetTicked(2, true);
    const scan::ScanRequest request = options.LiveDriveRoots();
    QCOMPARE(request.roots.size(), std::size_t{3});  // both drives, then the audit
    QVERIFY(request.stillWanted);
    QVERIFY(request.stillWanted(request.roots[0]));
    QVERIFY(!request.stillWanted(request.roots[1]));
    tree.SetTicked(2, false);
    tree.SetTicked(3, true);
    QVERIFY(!request.stillWanted(request.roots[0]));
    QVERIFY(request.stillWanted(request.roots[1]));
    QVERIFY(request.stillWanted(scan::ScanRoot(scan::RootKind::kLocation, Utf8ToNative("/x/"))));
  }

  void oneDriveLeavesTheRootClear() {
    ui::LiveOptions options;
    ui::TargetTree tree(options);
    tree.createtv(TwoDrives());
    tree.SetTicked(2, true);
    QVERIFY(!tree.Ticked(1));
    QCOMPARE(tree.Node(1)->checkState(0), Qt::Unchecked);  // no mixed state
    QVERIFY(options.NodeTicked(2));
  }

  void specialRootTicksItsFourChildren() {
    ui::LiveOptions options;
    ui::TargetTree tree(options);
    tree.createtv(TwoDrives());
    tree.SetTicked(4, true);
    for (int n = 5; n <= 8; ++n) QVERIFY(tree.Ticked(n));
    QVERIFY(!tree.Ticked(2) && !tree.Ticked(3));
    const scan::RuleSwitches on = options.EnabledRules();
    for (int rule = scan::kRecentRule; rule <= scan::kInternetCacheRule; ++rule)
      QVERIFY(on[static_cast<std::size_t>(rule)]);
    tree.SetTicked(7, false);
    QVERIFY(!options.EnabledRules()[scan::kCookiesRule]);
    QVERIFY(options.EnabledRules()[scan::kHistoryRule]);
  }

  void noFixedDrive() {
    ui::LiveOptions options;
    ui::TargetTree tree(options);
    tree.createtv({});
    QCOMPARE(tree.NodeCount(), 7 + scan::kLocationCount);
    QCOMPARE(tree.Node(2)->text(0), QStringLiteral("扫描特殊文件夹"));
    tree.SetTicked(1, true);
    for (int n = 2; n <= 6; ++n) QVERIFY(!tree.Ticked(n));
    QCOMPARE(options.DriveCount(), 0);
    QCOMPARE(ui::SpecialFolderNode(0, 0), 3);
  }
};

QTEST_MAIN(TreeTest)
#include "tree_test.moc"
