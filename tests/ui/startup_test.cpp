// Start-up of the main window: the order of its steps, the initial state of every control, and the
// tips dialog shown only when the switch is 1.
#include <QApplication>
#include <QHeaderView>
#include <QMouseEvent>
#include <QTest>

#include "fake_services.h"
#include "main_window.h"
#include "settings/settings_file.h"
#include "support/temp_tree.h"

using namespace kelvo;
using kelvo::testing::FakeSetup;
using kelvo::testing::ServiceLog;

class StartupTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<ui::MainWindow> Make(std::shared_ptr<ServiceLog> log, FakeSetup setup = {}) {
    if (setup.drives.empty())
      setup.drives = {{AsciiToNative("/"), AsciiToNative("/(root)")},
                      {AsciiToNative("/home/"), AsciiToNative("/home/")}};
    auto w = std::make_unique<ui::MainWindow>(testing::MakeFakeServices(log, setup));
    w->Startup();
    return w;
  }

 private slots:
  void stepsRunInOrder() {
    auto log = std::make_shared<ServiceLog>();
    auto w = Make(log);
    QCOMPARE(w->StartupSteps(),
             QStringList({"InstallComponents", "Dialog", "TitlePicture", "createlv", "createtv",
                          "Shape1", "TipsSwitch", "Dialog1"}));
    QCOMPARE(log->calls, QStringList({"install", "drives", "tips"}));
  }

  void everyStepRunsAfterAFailure() {
    auto log = std::make_shared<ServiceLog>();
    FakeSetup setup;
    setup.throwOnInstall = true;
    setup.tipsSwitch = 1;
    auto w = Make(log, setup);
    QCOMPARE(log->calls, QStringList({"install", "drives", "tips"}));
    QVERIFY(w->settingsDialog() != nullptr);
    QCOMPARE(w->tv()->NodeCount(), 2 + 6 + 1 + scan::kLocationCount);
    QVERIFY(w->tipsDialog() != nullptr);
  }

  void windowIsFramelessWhiteAndSized() {
    auto w = Make(std::make_shared<ServiceLog>());
    QVERIFY(w->windowFlags() & Qt::FramelessWindowHint);
    QCOMPARE(w->size(), QSize(614, 430));
    QCOMPARE(w->palette().color(QPalette::Window), QColor(Qt::white));
    QCOMPARE(w->windowTitle(), QStringLiteral("Kelvo 垃圾文件清扫器 2.02"));
    QCOMPARE(w->label(1)->text(), QStringLiteral("Kelvo 垃圾文件清扫器 2.02"));
    QVERIFY(!w->titleImage()->pixmap().isNull());
  }

  void initialCaptionsAndStates() {
    auto w = Make(std::make_shared<ServiceLog>());
    const QStringList popups = {"扫描垃圾", "清除垃圾", "系统设置", "退出软件"};
    for (int i = 1; i <= 4; ++i) {
      QCOMPARE(w->asPopup(i)->text(), popups[i - 1]);
      QVERIFY(w->asPopup(i)->isEnabled());
    }
    const QStringList uc = {"全部选择", "全部不选", "撤消所选", "全部撤消"};
    for (int i = 0; i < 4; ++i) {
      QCOMPARE(w->uc(i)->text(), uc[i]);
      QVERIFY(w->uc(i)->isEnabled());
    }
    QCOMPARE(w->frame1()->title(), QStringLiteral("扫描详细信息"));
    QCOMPARE(w->label(3)->text(), QStringLiteral("正在扫描:"));
    QCOMPARE(w->label(4)->text(), QStringLiteral("已扫描目录(个数):"));
    QCOMPARE(w->label(6)->text(), QStringLiteral("扫描到垃圾(个数):"));
    for (int n : {2, 5, 7}) QVERIFY(w->label(n)->text().isEmpty());
  }

  void listColumns() {
    auto w = Make(std::make_shared<ServiceLog>());
    auto* model = w->lv()->model();
    QCOMPARE(model->columnCount(), 4);
    const QStringList headers = {"文件名", "文件路径", "文件类型", "文件大小(字节)"};
    for (int c = 0; c < 4; ++c)
      QCOMPARE(model->headerData(c, Qt::Horizontal).toString(), headers[c]);
    const int width = w->lv()->width();
    QCOMPARE(w->lv()->columnWidth(0), width / 3);
    QCOMPARE(w->lv()->columnWidth(1), width);
    QCOMPARE(w->lv()->columnWidth(2), width / 3);
    QCOMPARE(w->lv()->columnWidth(3), width / 3);
    QCOMPARE(model->rowCount(), 0);
  }

  void settingsDialogIsCreatedHidden() {
    auto log = std::make_shared<ServiceLog>();
    auto w = Make(log);
    QVERIFY(w->settingsDialog() != nullptr);
    QVERIFY(!w->settingsDialog()->isVisible());
    QVERIFY(log->writes.empty());  // nothing written at start
  }

  void tipsDialogFollowsTheSwitch_data() {
    QTest::addColumn<int>("tips");
    QTest::addColumn<bool>("shown");
    QTest::newRow("1") << 1 << true;
    QTest::newRow("0") << 0 << false;
    QTest::newRow("2") << 2 << false;
    QTest::newRow("-1") << -1 << false;
  }
  void tipsDialogFollowsTheSwitch() {
    QFETCH(int, tips);
    QFETCH(bool, shown);
    FakeSetup setup;
    setup.tipsSwitch = static_cast<std::int16_t>(tips);
    auto w = Make(std::make_shared<ServiceLog>(), setup);
    QCOMPARE(w->tipsDialog() != nullptr && w->tipsDialog()->isVisible(), shown);
    if (shown) {
      QVERIFY(w->tipsDialog()->windowFlags() & Qt::WindowStaysOnTopHint);
      QVERIFY(w->tipsDialog()->Check1()->isChecked());
    }
  }

  void tipsSwitchIsReadFromTheSettingsFile() {
    testing::TempTree dir;
    const NativeString ini = Utf8ToNative(dir.Path("setting.ini"));
    QVERIFY(!settings::WriteIniValue(ini, "show", "ts", "1"));
    ui::Services services = testing::MakeFakeServices(std::make_shared<ServiceLog>(), {});
    services.settingsPath = [ini] { return ini; };
    services.readTipsSwitch = ui::DefaultServices().readTipsSwitch;
    ui::MainWindow w(std::move(services));
    w.Startup();
    QCOMPARE(w.TipsSwitch(), std::int16_t(1));
    QVERIFY(w.tipsDialog() && w.tipsDialog()->isVisible());
  }

  void titleBarAndTitleTextMoveTheWindow() {
    auto w = Make(std::make_shared<ServiceLog>());
    w->move(50, 50);
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    for (QWidget* handle :
         {static_cast<QWidget*>(w->titleImage()), static_cast<QWidget*>(w->label(1))}) {
      const QPoint before = w->pos();
      const QPoint local(20, 5);
      const QPoint global = handle->mapToGlobal(local);
      // Only the left button moves the window; where the platform has no move of its own, the
      // window follows the mouse by hand.
      auto drag = [&](Qt::MouseButton button) {
        QMouseEvent press(QEvent::MouseButtonPress, local, global, button, button, Qt::NoModifier);
        QApplication::sendEvent(handle, &press);
        QMouseEvent move(QEvent::MouseMove, local + QPoint(30, 15), global + QPoint(30, 15),
                         Qt::NoButton, button, Qt::NoModifier);
        QApplication::sendEvent(handle, &move);
        QMouseEvent release(QEvent::MouseButtonRelease, local + QPoint(30, 15),
                            global + QPoint(30, 15), button, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(handle, &release);
      };
      drag(Qt::RightButton);
      QTest::qWait(50);
      QCOMPARE(w->pos(), before);
      drag(Qt::LeftButton);
      QTRY_COMPARE(w->pos(), before + QPoint(30, 15));
    }
  }

  void exitClosesEverything() {
    FakeSetup setup;
    setup.tipsSwitch = 1;
    auto w = Make(std::make_shared<ServiceLog>(), setup);
    w->show();
    w->settingsDialog()->show();
    QPointer<ui::TipsDialog> tips = w->tipsDialog();
    w->asPopup(4)->click();
    QVERIFY(!w->isVisible());
    QVERIFY(!w->settingsDialog()->isVisible());
    QTRY_VERIFY(tips.isNull());
  }
};

QTEST_MAIN(StartupTest)
#include "startup_test.moc"
