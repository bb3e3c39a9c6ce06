// The list's compact rows: the per-file counts kept through the rows' rings and the flat table
// agree with a count made from scratch after every kind of change, paths stay right when rows go
// and when neighbours share them, and the rows needing an administrator are counted.
#include <QTest>
#include <random>

#include "results_model.h"
#include "scan/junk_rules.h"
#include "scan/junk_tally.h"
#include "ui_text.h"

using namespace kelvo;

namespace {

scan::JunkItem Item(const std::string& path, std::uint64_t size, int rule, std::uint64_t device,
                    std::uint64_t inode, std::uint32_t links = 1, bool identified = true) {
  scan::JunkItem item;
  item.fullPath = Utf8ToNative(path);
  item.fileName = Utf8ToNative(path.substr(path.rfind('/') + 1));
  item.typeLabel = Utf8ToNative("tmp临时文件");
  item.size = size;
  item.bytesOnDisk = (size + 4095) / 4096 * 4096;
  item.rule = rule;
  item.links = links;
  item.root = Utf8ToNative(device == 1 ? "/a/" : "/b/");
  if (identified) {
    item.identity.emplace();
    item.identity->device = device;
    item.identity->inode = inode;
    item.identity->type = platform::EntryType::kFile;
  }
  return item;
}

void Fill(ui::ResultsModel& model, std::vector<scan::JunkItem> items) {
  static ui::TextNumbering labels, roots;
  ui::RowBatch batch;
  for (auto& item : items) batch.rows.push_back(ui::MakeRow(std::move(item), labels, roots, batch));
  model.AppendBatch(std::move(batch));
}

// The tally the core counts for the command line, made afresh from the list's rows.
scan::JunkTally FromScratch(const ui::ResultsModel& model, bool checkedOnly) {
  scan::JunkTally tally;
  for (std::size_t p = 0; p < model.Size(); ++p) {
    if (checkedOnly && !model.RowAt(p).Has(ui::ResultRow::kChecked)) continue;
    tally.Add(scan::TallyRowOf(model.ItemAt(p)));
  }
  return tally;
}

template <typename Counts>
QString Describe(const Counts& t) {
  QString out = QStringLiteral("total %1/%2/%3 freeable %4;")
                    .arg(t.Total().files)
                    .arg(t.Total().bytes)
                    .arg(t.Total().bytesOnDisk)
                    .arg(t.Freeable());
  auto kinds = t.Kinds();
  std::sort(kinds.begin(), kinds.end(), [](const auto& a, const auto& b) {
    return std::pair(a.kind.rule, a.kind.emptyFolder) < std::pair(b.kind.rule, b.kind.emptyFolder);
  });
  for (const auto& k : kinds)
    out += QStringLiteral(" kind %1%2 %3/%4/%5")
               .arg(k.kind.rule)
               .arg(k.kind.emptyFolder ? "e" : "")
               .arg(k.counts.files)
               .arg(k.counts.bytes)
               .arg(k.counts.bytesOnDisk);
  auto disks = t.Disks();
  std::sort(disks.begin(), disks.end(),
            [](const auto& a, const auto& b) { return a.device < b.device; });
  for (const auto& d : disks)
    out += QStringLiteral(" disk %1 %2 %3/%4")
               .arg(d.device)
               // Rows whose file was never seen come from either root: which one names them is
               // a matter of order.
               .arg(d.device == UINT64_MAX ? QString() : ui::ToQString(d.root))
               .arg(d.counts.files)
               .arg(d.counts.bytesOnDisk);
  return out;
}

void CompareWithScratch(const ui::ResultsModel& model, const char* step) {
  const QString all = Describe(model.Tally());
  const QString checked = Describe(model.CheckedTally());
  if (all != Describe(FromScratch(model, false)) || checked != Describe(FromScratch(model, true)))
    qWarning() << "after" << step;
  QCOMPARE(all, Describe(FromScratch(model, false)));
  QCOMPARE(checked, Describe(FromScratch(model, true)));
  std::size_t ticked = 0;
  for (std::size_t p = 0; p < model.Size(); ++p)
    ticked += model.RowAt(p).Has(ui::ResultRow::kChecked) ? 1 : 0;
  QCOMPARE(model.CheckedRows(), ticked);
}

// Rows over few inodes so that files repeat: several rules for one path, hard links with some or
// all of their names listed, rows whose file was never seen, empty folders, two disks.
std::vector<scan::JunkItem> RandomItems(std::mt19937& random, int count) {
  std::vector<scan::JunkItem> items;
  const int rules[] = {1, 4, scan::kZeroByteRule, scan::kTempFolderRule};
  for (int i = 0; i < count; ++i) {
    const std::uint64_t device = 1 + random() % 2;
    const std::uint64_t inode = random() % 60;
    const std::uint32_t links = inode % 7 == 0 ? 2 + inode % 3 : 1;
    const std::uint64_t name = links > 1 ? random() % 4 : 0;  // hard links: up to four names
    const std::string path =
        (device == 1 ? "/a/" : "/b/") + std::to_string(inode) + "_" + std::to_string(name) + ".tmp";
    scan::JunkItem item =
        Item(path, inode * 1000 + 1, rules[random() % 4], device, inode, links, random() % 13 != 0);
    item.emptyFolder = item.rule == scan::kTempFolderRule && inode % 5 == 0;
    items.push_back(std::move(item));
  }
  return items;
}

}  // namespace

class RowStoreTest : public QObject {
  Q_OBJECT

 private slots:
  void theCountsAgreeWithACountFromScratchAfterEveryChange() {
    std::mt19937 random(20261211);
    for (int round = 0; round < 6; ++round) {
      ui::ResultsModel model;
      Fill(model, RandomItems(random, 150));
      CompareWithScratch(model, "fill");
      for (int step = 0; step < 40; ++step) {
        const int rows = model.rowCount();
        switch (random() % 9) {
          case 0:
          case 1:
          case 2:
            if (rows) model.SetChecked(random() % rows, random() % 3 != 0);
            break;
          case 3:
            if (rows) {
              const int first = random() % rows;
              model.SetRangeChecked(first, first + random() % 40, random() % 2 == 0);
            }
            break;
          case 4:
            model.SetAllChecked(random() % 2 == 0);
            break;
          case 5: {
            // A few rows go one by one, or most go and the rest are counted afresh.
            const bool most = random() % 2 == 0;
            std::vector<std::size_t> gone;
            for (std::size_t p = 0; p < model.Size(); ++p)
              if ((random() % 8 < 6) == most) gone.push_back(p);
            model.RemoveRows(std::move(gone));
            break;
          }
          case 6:
            model.RemoveChecked();
            break;
          case 7:
            model.SetKindChecked(scan::kZeroByteRule, false, random() % 2 == 0);
            break;
          default:
            Fill(model, RandomItems(random, 30));
            break;
        }
        CompareWithScratch(model, "a step");
        if (QTest::currentTestFailed()) return;
      }
      model.Clear();
      CompareWithScratch(model, "clear");
    }
  }

  void manyRowsGoingAtOnceLeaveTheSameCountsAsAFewAtATime() {
    // The same rows and ticks, then the same rows taken away: in one go (most of them, counted
    // afresh from the kept ones) or in small steps (each taken out of the counts).
    std::mt19937 random(20261212);
    const std::vector<scan::JunkItem> items = RandomItems(random, 400);
    std::vector<std::size_t> ticks, gone;
    for (std::size_t p = 0; p < items.size(); ++p) {
      if (random() % 3 == 0) ticks.push_back(p);
      if (random() % 5 != 0) gone.push_back(p);
    }
    ui::ResultsModel atOnce, inSteps;
    for (ui::ResultsModel* model : {&atOnce, &inSteps}) {
      Fill(*model, items);
      for (std::size_t p : ticks)
        model->SetChecked(model->rowCount() - 1 - static_cast<int>(p), true);
    }
    atOnce.RemoveRows(gone);
    CompareWithScratch(atOnce, "many rows at once");
    // From the last position back, three at a time: far below a quarter of the kept rows.
    for (std::size_t i = gone.size(); i > 0;) {
      std::vector<std::size_t> step;
      for (int k = 0; k < 3 && i > 0; ++k) step.push_back(gone[--i]);
      inSteps.RemoveRows(std::move(step));
    }
    CompareWithScratch(inSteps, "a few rows at a time");
    QCOMPARE(inSteps.Size(), atOnce.Size());
    QCOMPARE(Describe(inSteps.Tally()), Describe(atOnce.Tally()));
    QCOMPARE(Describe(inSteps.CheckedTally()), Describe(atOnce.CheckedTally()));
    QCOMPARE(inSteps.CheckedRows(), atOnce.CheckedRows());
    QCOMPARE(inSteps.AdminRows(), atOnce.AdminRows());
    // The recounted list goes on counting right: rows arrive, are ticked and leave again.
    Fill(atOnce, RandomItems(random, 60));
    atOnce.SetRangeChecked(0, 30, true);
    CompareWithScratch(atOnce, "after new rows");
    atOnce.RemoveChecked();
    CompareWithScratch(atOnce, "after withdrawing the ticked");
    QCOMPARE(atOnce.CheckedRows(), 0u);
  }

  void pathsStayRightWhenRowsGoAndWhenNeighboursShareThem() {
    ui::ResultsModel model;
    // One file listed by three rules in a row, then others.
    Fill(model, {Item("/a/one.tmp", 1, 1, 1, 1), Item("/a/one.tmp", 1, 4, 1, 1),
                 Item("/a/one.tmp", 1, scan::kZeroByteRule, 1, 1), Item("/a/two.tmp", 2, 1, 1, 2),
                 Item("/a/three/four.tmp", 3, 1, 1, 3)});
    model.RemoveRows({0, 3});
    QStringList paths, names;
    for (std::size_t p = 0; p < model.Size(); ++p) {
      paths << ui::ToQString(model.PathAt(p));
      names << ui::ToQString(model.FileNameOf(model.RowAt(p)));
    }
    QCOMPARE(paths, QStringList({"/a/one.tmp", "/a/one.tmp", "/a/three/four.tmp"}));
    QCOMPARE(names, QStringList({"one.tmp", "one.tmp", "four.tmp"}));
    // What the deletion is given is the row's own path and identity.
    const scan::JunkItem item = model.ItemAt(2);
    QCOMPARE(item.fullPath, Utf8ToNative("/a/three/four.tmp"));
    QCOMPARE(item.fileName, Utf8ToNative("four.tmp"));
    QVERIFY(item.identity.has_value());
    QCOMPARE(item.identity->device, 1u);
    QCOMPARE(item.identity->inode, 3u);
  }

  void aPathLongerThanABlockAndAnEmptyOneKeepTheirUnits() {
    ui::ResultsModel model;
    std::string deep;
    while (deep.size() < (std::size_t(1) << 21)) deep += "/very-deep-folder";
    deep += "/x.tmp";
    Fill(model, {Item("/a/before.tmp", 1, 1, 1, 1), Item(deep, 1, 1, 1, 2),
                 Item("/a/after.tmp", 1, 1, 1, 3)});
    QCOMPARE(model.ItemAt(1).fullPath, Utf8ToNative(deep));
    QCOMPARE(model.ItemAt(1).fileName, Utf8ToNative("x.tmp"));
    QCOMPARE(model.ItemAt(2).fullPath, Utf8ToNative("/a/after.tmp"));
    model.RemoveRows({0});
    QCOMPARE(model.ItemAt(0).fullPath, Utf8ToNative(deep));
    QCOMPARE(model.ItemAt(1).fullPath, Utf8ToNative("/a/after.tmp"));
  }

  void theRowsNeedingAnAdministratorAreCounted() {
    ui::ResultsModel model;
    std::vector<scan::JunkItem> items;
    for (int i = 0; i < 6; ++i) {
      items.push_back(Item("/a/" + std::to_string(i), 1, 1, 1, static_cast<std::uint64_t>(i)));
      items.back().needsAdmin = i % 2 == 0;
    }
    Fill(model, std::move(items));
    QCOMPARE(model.AdminRows(), 3u);
    model.RemoveRows({0, 1});  // one of each
    QCOMPARE(model.AdminRows(), 2u);
    model.SetAllChecked(true);
    model.RemoveChecked();
    QCOMPARE(model.AdminRows(), 0u);
    Fill(model, {Item("/a/x", 1, 1, 1, 9)});
    QCOMPARE(model.AdminRows(), 0u);
  }
};

QTEST_MAIN(RowStoreTest)
#include "row_store_test.moc"
