// The results list: newest row on top, batches, tick marks, sorting and its reset, long lists
// sorted on another thread, lists beyond 32,767 rows, and the four flat buttons beneath it.
#include <QAbstractItemModelTester>
#include <QHeaderView>
#include <QSignalSpy>
#include <QTest>
#include <algorithm>
#include <random>

#include "fake_services.h"
#include "main_window.h"
#include "results_model.h"
#include "ui_text.h"

using namespace kelvo;

namespace {

scan::JunkItem Item(const std::string& path, std::optional<std::uint64_t> size,
                    const std::string& label = "tmp临时文件") {
  scan::JunkItem item;
  item.fullPath = Utf8ToNative(path);
  item.fileName = Utf8ToNative(path.substr(path.rfind('/') + 1));
  item.typeLabel = Utf8ToNative(label);
  item.size = size;
  item.rule = 1;
  item.root = Utf8ToNative("/");
  return item;
}

struct Feeder {
  ui::TextNumbering labels, roots;
  ui::RowBatch Batch(std::vector<scan::JunkItem> items) {
    ui::RowBatch batch;
    for (auto& item : items)
      batch.rows.push_back(ui::MakeRow(std::move(item), labels, roots, batch));
    return batch;
  }
};

QStringList Column(const ui::ResultsModel& model, int column) {
  QStringList out;
  for (int r = 0; r < model.rowCount(); ++r) out << model.Text(r, column);
  return out;
}

// A list long enough to be sorted on another thread: paths sharing long heads, many equal sizes,
// rows without a size, and two type labels.
std::vector<scan::JunkItem> LongList(int count, std::uint32_t seed) {
  std::mt19937 rng(seed);
  std::vector<scan::JunkItem> items;
  for (int i = 0; i < count; ++i) {
    const std::string dir = rng() % 2 ? "/common/prefix/" : "/c/";
    std::optional<std::uint64_t> size;
    if (rng() % 10) size = rng() % 50;
    items.push_back(Item(dir + std::to_string(rng() % 5000) + (rng() % 3 ? ".tmp" : "~"), size,
                         rng() % 4 ? "tmp临时文件" : "空文件"));
  }
  return items;
}

// The shown order a sort must give: the rows as shown before, newest first, stably sorted.
QStringList Expected(const ui::ResultsModel& model, int column, Qt::SortOrder order) {
  std::vector<int> rows(static_cast<std::size_t>(model.rowCount()));
  for (std::size_t i = 0; i < rows.size(); ++i) rows[i] = static_cast<int>(model.Position(0) - i);
  auto key = [&](int r) {
    const ui::ResultRow& row = model.RowAt(static_cast<std::size_t>(r));
    switch (column) {
      case ui::ResultsModel::kPath:
        return std::make_pair(std::uint64_t(0), std::string(model.PathOf(row)));
      case ui::ResultsModel::kSize:
        return std::make_pair(row.Has(ui::ResultRow::kHasSize) ? row.size + 1 : 0, std::string());
      default:
        return std::make_pair(std::uint64_t(0), std::string(model.FileNameOf(row)));
    }
  };
  std::stable_sort(rows.begin(), rows.end(), [&](int a, int b) {
    return order == Qt::AscendingOrder ? key(a) < key(b) : key(b) < key(a);
  });
  QStringList out;
  for (int r : rows) out << ui::ToQString(model.PathAt(static_cast<std::size_t>(r)));
  return out;
}

}  // namespace

class ResultsListTest : public QObject {
  Q_OBJECT

 private slots:
  void newestRowOnTop() {
    ui::ResultsModel model;
    Feeder feed;
    model.AppendBatch(feed.Batch({Item("/x/A.tmp", 1), Item("/x/B.tmp", 2)}));
    model.AppendBatch(feed.Batch({Item("/x/C.tmp", std::nullopt, "空文件夹")}));
    QCOMPARE(Column(model, 0), QStringList({"C.tmp", "B.tmp", "A.tmp"}));
    QCOMPARE(Column(model, 1), QStringList({"/x/C.tmp", "/x/B.tmp", "/x/A.tmp"}));
    QCOMPARE(Column(model, 2), QStringList({"空文件夹", "tmp临时文件", "tmp临时文件"}));
    QCOMPARE(Column(model, 3), QStringList({"", "2", "1"}));
    QCOMPARE(model.TotalBytes(), 3u);
    QCOMPARE(model.data(model.index(0, 0), Qt::CheckStateRole).toInt(), int(Qt::Unchecked));
    QVERIFY(model.flags(model.index(0, 0)) & Qt::ItemIsUserCheckable);
  }

  void batchIsInsertedOnTopInOneStep() {
    ui::ResultsModel model;
    Feeder feed;
    model.AppendBatch(feed.Batch({Item("/a", 1)}));
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    model.AppendBatch(feed.Batch({Item("/b", 1), Item("/c", 1), Item("/d", 1)}));
    QCOMPARE(inserted.count(), 1);
    QCOMPARE(inserted.at(0).at(1).toInt(), 0);
    QCOMPARE(inserted.at(0).at(2).toInt(), 2);
  }

  void itemKeepsWhatTheScanSaw() {
    ui::ResultsModel model;
    Feeder feed;
    scan::JunkItem item = Item("/x/\xff\xfe.tmp", 7);  // a name that is not UTF-8
    item.identity = scan::EntryIdentity{5, 9, platform::EntryType::kFile, -3, std::nullopt};
    item.rule = 19;
    model.AppendBatch(feed.Batch({item}));
    const scan::JunkItem back = model.ItemAt(0);
    QCOMPARE(back.fullPath, item.fullPath);
    QCOMPARE(back.fileName, item.fileName);
    QCOMPARE(back.typeLabel, item.typeLabel);
    QCOMPARE(back.root, item.root);
    QCOMPARE(back.rule, 19);
    QCOMPARE(*back.size, 7u);
    QCOMPARE(back.identity->inode, 9u);
    QCOMPARE(back.identity->device, 5u);
    QVERIFY(back.identity->modified == -3 && !back.identity->born);  // the deletion compares them
  }

  void sortCyclesAndResets() {
    ui::ResultsModel model;
    Feeder feed;
    model.AppendBatch(feed.Batch({Item("/b", 30), Item("/a", 10), Item("/c", 20)}));
    model.sort(ui::ResultsModel::kSize, Qt::AscendingOrder);
    QCOMPARE(Column(model, 3), QStringList({"10", "20", "30"}));
    model.sort(ui::ResultsModel::kPath, Qt::DescendingOrder);
    QCOMPARE(Column(model, 1), QStringList({"/c", "/b", "/a"}));
    // Rows found while sorted come on top.
    model.AppendBatch(feed.Batch({Item("/d", 5)}));
    QCOMPARE(Column(model, 1).first(), QStringLiteral("/d"));
    model.ResetOrder();
    QCOMPARE(Column(model, 1), QStringList({"/d", "/c", "/a", "/b"}));
  }

  void removeCheckedWhileSorted() {
    ui::ResultsModel model;
    Feeder feed;
    model.AppendBatch(feed.Batch({Item("/b", 2), Item("/a", 1), Item("/c", 3)}));
    model.sort(ui::ResultsModel::kPath, Qt::AscendingOrder);
    model.SetChecked(0, true);  // "/a"
    QCOMPARE(model.RemoveChecked(), 1u);
    QCOMPARE(Column(model, 1), QStringList({"/b", "/c"}));
    QCOMPARE(model.TotalBytes(), 5u);
    model.ResetOrder();
    QCOMPARE(Column(model, 1), QStringList({"/c", "/b"}));
  }

  void longListSortsOnAnotherThread() {
    ui::ResultsModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    Feeder feed;
    model.AppendBatch(feed.Batch(LongList(60000, 1)));
    for (auto [column, order] : {std::pair{ui::ResultsModel::kPath, Qt::AscendingOrder},
                                 std::pair{ui::ResultsModel::kSize, Qt::DescendingOrder},
                                 std::pair{ui::ResultsModel::kName, Qt::AscendingOrder},
                                 std::pair{ui::ResultsModel::kSize, Qt::AscendingOrder}}) {
      model.ResetOrder();
      const QStringList expected = Expected(model, column, order);
      const QStringList before = Column(model, 1);
      QSignalSpy changed(&model, &ui::ResultsModel::orderChanged);
      model.RequestSort(column, order);
      QVERIFY(model.Sorting());
      QCOMPARE(model.WantedColumn(), int(column));
      QCOMPARE(Column(model, 1), before);  // the old order stays until the new one is ready
      QVERIFY(changed.wait(20000));
      QVERIFY(!model.Sorting());
      QCOMPARE(model.SortColumn(), int(column));
      QCOMPARE(Column(model, 1), expected);
    }
    // Types by their label's text.
    model.RequestSort(ui::ResultsModel::kType, Qt::AscendingOrder);
    QTRY_VERIFY_WITH_TIMEOUT(!model.Sorting(), 20000);
    QCOMPARE(model.Text(0, 2), QStringLiteral("tmp临时文件"));
    QCOMPARE(model.Text(model.rowCount() - 1, 2), QStringLiteral("空文件"));
  }

  void listChangesWhileASortRuns() {
    ui::ResultsModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    Feeder feed;
    model.AppendBatch(feed.Batch(LongList(50000, 2)));
    // Rows found meanwhile come on top of the sorted ones.
    model.RequestSort(ui::ResultsModel::kPath, Qt::AscendingOrder);
    model.AppendBatch(feed.Batch({Item("/zz/late.tmp", 1), Item("/a/late.tmp", 2)}));
    QTRY_VERIFY_WITH_TIMEOUT(!model.Sorting(), 20000);
    QCOMPARE(model.Text(0, 1), QStringLiteral("/a/late.tmp"));
    QCOMPARE(model.Text(1, 1), QStringLiteral("/zz/late.tmp"));
    QVERIFY(model.Text(2, 1) <= model.Text(3, 1));

    // Ticking all, withdrawing ticked rows and dropping deleted ones while sorting: the sort
    // starts again over what is left.
    model.ResetOrder();
    model.RequestSort(ui::ResultsModel::kSize, Qt::DescendingOrder);
    model.SetAllChecked(true);
    model.SetAllChecked(false);
    model.SetChecked(0, true);
    model.SetChecked(5, true);
    QCOMPARE(model.RemoveChecked(), 2u);
    std::vector<std::size_t> deleted;
    for (std::size_t p = 0; p < model.Size(); p += 3) deleted.push_back(p);
    model.RemoveRows(deleted);
    QVERIFY(model.Sorting());
    QCOMPARE(model.WantedOrder(), Qt::DescendingOrder);
    model.ResetOrder();
    const QStringList expected = Expected(model, ui::ResultsModel::kSize, Qt::DescendingOrder);
    model.RequestSort(ui::ResultsModel::kSize, Qt::DescendingOrder);
    model.RemoveRows({});
    QTRY_VERIFY_WITH_TIMEOUT(!model.Sorting(), 20000);
    QCOMPARE(Column(model, 1), expected);

    // Cleared or reset while sorting: the sort is called off.
    model.RequestSort(ui::ResultsModel::kName, Qt::AscendingOrder);
    model.ResetOrder();
    QVERIFY(!model.Sorting() && !model.Sorted());
    model.RequestSort(ui::ResultsModel::kName, Qt::AscendingOrder);
    model.Clear();
    QVERIFY(!model.Sorting() && !model.Sorted());
    QTest::qWait(50);
    QCOMPARE(model.rowCount(), 0);
  }

  void headerClicksCountFromTheOrderAskedFor() {
    ui::MainWindow w(testing::MakeFakeServices(std::make_shared<testing::ServiceLog>(), {}));
    w.Startup();
    Feeder feed;
    w.model().AppendBatch(feed.Batch(LongList(40000, 3)));
    const QStringList discovery = Column(w.model(), 1);
    QHeaderView* header = w.lv()->horizontalHeader();
    emit header->sectionClicked(ui::ResultsModel::kPath);
    emit header->sectionClicked(ui::ResultsModel::kPath);  // before the first sort is done
    QTRY_VERIFY_WITH_TIMEOUT(!w.model().Sorting(), 20000);
    QCOMPARE(w.model().SortOrder(), Qt::DescendingOrder);
    QVERIFY(header->isSortIndicatorShown());
    QCOMPARE(header->sortIndicatorOrder(), Qt::DescendingOrder);
    emit header->sectionClicked(ui::ResultsModel::kPath);
    QVERIFY(!w.model().Sorted());
    QVERIFY(!header->isSortIndicatorShown());
    QCOMPARE(Column(w.model(), 1), discovery);
  }

  void moreThan32767Rows() {
    ui::ResultsModel model;
    Feeder feed;
    std::vector<scan::JunkItem> items;
    for (int i = 0; i < 40000; ++i) items.push_back(Item("/f" + std::to_string(i), 1));
    model.AppendBatch(feed.Batch(std::move(items)));
    QCOMPARE(model.rowCount(), 40000);
    model.SetAllChecked(true);
    QCOMPARE(model.CheckedBottomUp().size(), 40000u);
    QCOMPARE(model.CheckedBottomUp().front(), 0u);  // the oldest row is the bottom one
    QCOMPARE(model.RemoveChecked(), 40000u);
    QCOMPARE(model.rowCount(), 0);
    // Little more than the path bytes and the identity a deletion checks per row.
    QVERIFY(sizeof(ui::ResultRow) <= 96);
  }

  void flatButtonsRaiseOnHoverAndAct() {
    auto log = std::make_shared<testing::ServiceLog>();
    ui::MainWindow w(testing::MakeFakeServices(log, {}));
    w.Startup();
    for (int i = 0; i < 4; ++i) QVERIFY(w.uc(i)->autoRaise());
    for (int i = 1; i <= 4; ++i) QVERIFY(w.asPopup(i)->autoRaise());
    QSignalSpy index(w.uc(2), &ui::FlatButton::clickedIndex);
    Feeder feed;
    w.model().AppendBatch(feed.Batch({Item("/a", 1), Item("/b", 2), Item("/c", 3)}));
    w.label(5)->setText("12");
    w.label(7)->setText("3");

    w.uc(0)->click();  // all ticked
    for (int r = 0; r < 3; ++r) QVERIFY(w.model().Checked(r));
    w.uc(1)->click();  // none ticked
    for (int r = 0; r < 3; ++r) QVERIFY(!w.model().Checked(r));

    w.uc(2)->click();  // nothing ticked: nothing changes
    QCOMPARE(w.model().rowCount(), 3);
    QCOMPARE(index.count(), 1);
    QCOMPARE(index.at(0).at(0).toInt(), 2);
    w.model().SetChecked(1, true);
    w.uc(2)->click();
    QCOMPARE(Column(w.model(), 1), QStringList({"/c", "/a"}));
    QCOMPARE(w.label(5)->text(), QStringLiteral("12"));  // counters stay
    QCOMPARE(w.label(7)->text(), QStringLiteral("3"));
    QVERIFY(log->calls.filter("delete").isEmpty());  // no file is touched

    w.uc(3)->click();
    QCOMPARE(w.model().rowCount(), 0);
    QVERIFY(w.label(5)->text().isEmpty());
    QVERIFY(w.label(7)->text().isEmpty());
    w.label(5)->setText("1");
    w.uc(3)->click();  // on an empty list it still blanks the counters
    QVERIFY(w.label(5)->text().isEmpty());
  }

  void headerClicksSortAndComeBack() {
    ui::MainWindow w(testing::MakeFakeServices(std::make_shared<testing::ServiceLog>(), {}));
    w.Startup();
    Feeder feed;
    w.model().AppendBatch(feed.Batch({Item("/b", 1), Item("/a", 2)}));
    QHeaderView* header = w.lv()->horizontalHeader();
    emit header->sectionClicked(ui::ResultsModel::kPath);
    QCOMPARE(Column(w.model(), 1), QStringList({"/a", "/b"}));
    QVERIFY(header->isSortIndicatorShown());
    emit header->sectionClicked(ui::ResultsModel::kPath);
    QCOMPARE(Column(w.model(), 1), QStringList({"/b", "/a"}));
    emit header->sectionClicked(ui::ResultsModel::kPath);
    QVERIFY(!w.model().Sorted());
    QVERIFY(!header->isSortIndicatorShown());
    QCOMPARE(Column(w.model(), 1), QStringList({"/a", "/b"}));  // newest on top again
  }
};

QTEST_MAIN(ResultsListTest)
#include "results_list_test.moc"
