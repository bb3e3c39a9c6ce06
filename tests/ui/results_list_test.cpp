// The results list: newest row on top, batches, tick marks, sorting and its reset, lists beyond
// 32,767 rows, and the four flat buttons beneath it.
#include <QHeaderView>
#include <QSignalSpy>
#include <QTest>

#include "fake_services.h"
#include "main_window.h"
#include "results_model.h"

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
