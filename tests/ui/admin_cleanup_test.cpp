// The window's administrator step through a stand-in for pkexec: the rows go out as a request,
// the report comes back as one result per row, on the GUI thread's event loop; a step that is
// refused or answers something else gives no results and says why.
#include <QSignalSpy>
#include <QTest>

#include <sys/stat.h>

#include <cstdlib>
#include <fstream>

#include "admin_cleanup.h"
#include "admin_words.h"
#include "support/temp_tree.h"

using kelvo::NativeString;
using kelvo::testing::Exists;
using kelvo::testing::TempTree;
namespace cleanup = kelvo::cleanup;
namespace scan = kelvo::scan;

namespace {

scan::JunkItem ItemOf(const TempTree& tree, const char* relative) {
  struct stat st {};
  lstat(tree.Path(relative).c_str(), &st);
  scan::JunkItem item;
  item.fullPath = tree.Path(relative);
  item.root = tree.root();
  item.rule = 1;
  item.size = static_cast<std::uint64_t>(st.st_size);
  scan::EntryIdentity id;
  id.device = st.st_dev;
  id.inode = st.st_ino;
  id.type = kelvo::platform::EntryType::kFile;
  item.identity = id;
  item.needsAdmin = true;
  return item;
}

using Results = std::vector<cleanup::DeletionResult>;

}  // namespace

class AdminCleanupTest : public QObject {
  Q_OBJECT

 private:
  // Runs the step for the items and waits for its answer without blocking the event loop.
  QList<QVariant> RunStep(const std::vector<scan::JunkItem>& items, const char* elevate) {
    qputenv("KELVO_ELEVATE", elevate);
    kelvo::ui::AdminCleanup step(nullptr, QStringLiteral(KELVO_CLI_PATH));
    QSignalSpy finished(&step, &kelvo::ui::AdminCleanup::finished);
    std::vector<std::size_t> positions;
    for (std::size_t i = 0; i < items.size(); ++i) positions.push_back(10 + i);
    step.Run(positions, items, false, {});
    [&] { QVERIFY(step.Busy() || finished.count() == 1); }();
    if (finished.count() == 0) [&] { QVERIFY(finished.wait(60000)); }();
    qunsetenv("KELVO_ELEVATE");
    return finished.isEmpty() ? QList<QVariant>() : finished.takeFirst();
  }

 private slots:
  void initTestCase() {
    qRegisterMetaType<std::vector<std::size_t>>();
    qRegisterMetaType<Results>();
  }

  void TheReportComesBackAsOneResultPerRow() {
    TempTree tree;
    tree.File("system/a.tmp", "aaaa");
    tree.File("system/b.tmp", "bb");
    const std::vector<scan::JunkItem> items = {ItemOf(tree, "system/a.tmp"),
                                               ItemOf(tree, "system/b.tmp")};
    tree.File("system/b.tmp", "changed since the scan");
    // Root's own step, as pkexec would start it for root.
    const QList<QVariant> answer = RunStep(items, "/usr/bin/env PKEXEC_UID=0");
    QCOMPARE(answer.size(), 3);
    QCOMPARE(answer[0].value<std::vector<std::size_t>>(), (std::vector<std::size_t>{10, 11}));
    const Results results = answer[1].value<Results>();
    QCOMPARE(answer[2].toString(), QString());
    QCOMPARE(results.size(), std::size_t{2});
    QCOMPARE(results[0].outcome, cleanup::DeletionOutcome::kDeleted);
    QCOMPARE(results[0].bytes, std::uint64_t{4});
    QCOMPARE(results[1].outcome, cleanup::DeletionOutcome::kFailed);
    QCOMPARE(results[1].failure, cleanup::DeletionFailure::kChangedSinceScan);
    QVERIFY(!Exists(tree.Path("system/a.tmp")));
    QVERIFY(Exists(tree.Path("system/b.tmp")));
  }

  void ARefusedStepGivesNoResultsAndSaysWhy() {
    TempTree tree;
    tree.File("system/a.tmp");
    const QList<QVariant> answer = RunStep({ItemOf(tree, "system/a.tmp")}, "/bin/false");
    QCOMPARE(answer.size(), 3);
    QVERIFY(answer[1].value<Results>().empty());
    QVERIFY(answer[2].toString().contains(QStringLiteral("退出状态 1")));
    QVERIFY(Exists(tree.Path("system/a.tmp")));
  }

  void AReportOfOtherRowsIsNotShown() {
    TempTree tree;
    tree.File("system/a.tmp");
    const std::string liar = tree.PathUtf8("liar.sh");
    std::ofstream(liar) << "#!/bin/sh\ncat >/dev/null\necho '{\"path\":\"/etc/passwd\","
                           "\"outcome\":\"deleted\",\"reason\":\"\",\"bytes\":1}'\n";
    chmod(liar.c_str(), 0755);
    const QList<QVariant> answer = RunStep({ItemOf(tree, "system/a.tmp")}, liar.c_str());
    QCOMPARE(answer.size(), 3);
    QVERIFY(answer[1].value<Results>().empty());
    QVERIFY(answer[2].toString().contains(QStringLiteral("报告无效")));
  }

  void AProgramThatCannotStartIsSaid() {
    TempTree tree;
    tree.File("system/a.tmp");
    const QList<QVariant> answer = RunStep({ItemOf(tree, "system/a.tmp")}, "/nonexistent/pkexec");
    QCOMPARE(answer.size(), 3);
    QVERIFY(answer[2].toString().contains(QStringLiteral("/nonexistent/pkexec")));
  }

  void TheWordsOfTheOffer() {
    QCOMPARE(kelvo::ui::AdminOfferText(3), QStringLiteral("以管理员身份清除 3 个"));
    QCOMPARE(kelvo::ui::NeedsAdminText(), QStringLiteral("需要管理员权限"));
    QCOMPARE(kelvo::ui::NeedAdminCountText(2), QStringLiteral("2 个需要管理员权限"));
  }
};

QTEST_MAIN(AdminCleanupTest)
#include "admin_cleanup_test.moc"
