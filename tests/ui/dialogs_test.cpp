// The settings dialog and the tips dialog: texts, initial states, layout, and what each click
// writes.
#include <QLabel>
#include <QMessageBox>
#include <QTest>

#include <unistd.h>

#include <fstream>
#include <sstream>

#include "fake_services.h"
#include "qt_translations.h"
#include "settings/boot_cleanup.h"
#include "settings/settings_file.h"
#include "settings_dialog.h"
#include "support/temp_tree.h"
#include "tips_dialog.h"

using namespace kelvo;
using kelvo::testing::FakeSetup;
using kelvo::testing::ServiceLog;
using kelvo::testing::SettingsWrite;

namespace {

std::vector<bool> Ticks(const ui::SettingsDialog& d) {
  std::vector<bool> out;
  for (int k = 0; k < d.List1()->count(); ++k) out.push_back(d.PatternTicked(k));
  return out;
}

const std::vector<bool> kRecommended = {true,  true,  true,  true,  true,  false,
                                        false, false, false, false, false, true,
                                        true,  false, true,  true,  true,  false};

}  // namespace

class DialogsTest : public QObject {
  Q_OBJECT

 private slots:
  void settingsInitialState() {
    auto log = std::make_shared<ServiceLog>();
    const ui::Services services = testing::MakeFakeServices(log, {});
    ui::LiveOptions options;
    ui::SettingsDialog d(options, services);
    QCOMPARE(d.windowTitle(), QStringLiteral("扫描设置"));
    QCOMPARE(d.size(), QSize(470, 288));
    QVERIFY(!d.isModal());
    QCOMPARE(d.List1()->count(), 18);
    QCOMPARE(d.List1()->item(0)->text(), QStringLiteral("*.tmp(临时文件)"));
    QCOMPARE(d.List1()->item(13)->text(), QStringLiteral("*.---(临时文件)"));
    QCOMPARE(d.List1()->item(17)->text(), QStringLiteral("~*.*(临时文件)"));
    QCOMPARE(Ticks(d), kRecommended);
    QVERIFY(d.Check(1)->isChecked());
    QVERIFY(d.Check(2)->isChecked());
    QVERIFY(!d.Check(3)->isChecked());
    QVERIFY(!d.Check(4)->isChecked());
    QCOMPARE(d.Check(1)->text(), QStringLiteral("开机自动删除系统临时文件目录中垃圾文件"));
    QCOMPARE(d.Check(2)->text(), QStringLiteral("扫描所有的Temp临时文件夹"));
    QCOMPARE(d.Check(3)->text(), QStringLiteral("扫描零字节文件和空文件夹(危险,不推荐)"));
    QCOMPARE(d.Check(4)->text(), QStringLiteral("扫描冗余的DLL或组件文件(危险,不推荐)"));
    const QStringList buttons = {"推荐", "全选", "确定所选", "应用", "返回"};
    for (int n = 11; n <= 15; ++n) QCOMPARE(d.Button(n)->text(), buttons[n - 11]);
    QCOMPARE(d.palette().color(QPalette::Window), QColor(224, 224, 224));
    // Check boxes stand one above the other, below the frame.
    for (int n = 2; n <= 4; ++n) QVERIFY(d.Check(n)->y() > d.Check(n - 1)->y());
    QVERIFY(d.Check(1)->y() > d.List1()->parentWidget()->geometry().bottom());
    QVERIFY(log->calls.isEmpty());  // creating it writes nothing
    // The scan sees the same state.
    for (int k = 0; k < 18; ++k) QCOMPARE(options.Pattern(k), kRecommended[std::size_t(k)]);
    QVERIFY(options.TempFolders());
    QVERIFY(!options.ZeroByte() && !options.Audit());
  }

  void selectAllThenRecommendedKeepsEntry13() {
    auto log = std::make_shared<ServiceLog>();
    const ui::Services services = testing::MakeFakeServices(log, {});
    ui::LiveOptions options;
    ui::SettingsDialog d(options, services);
    d.Button(12)->click();
    QCOMPARE(Ticks(d), std::vector<bool>(18, true));
    QVERIFY(options.Pattern(5));
    d.Button(11)->click();
    std::vector<bool> expected = kRecommended;
    expected[13] = true;
    QCOMPARE(Ticks(d), expected);
    QVERIFY(!options.Pattern(5));
    QVERIFY(log->calls.isEmpty());
  }

  void saveWritesAll18Keys() {
    auto log = std::make_shared<ServiceLog>();
    const ui::Services services = testing::MakeFakeServices(log, {});
    ui::LiveOptions options;
    ui::SettingsDialog d(options, services);
    d.List1()->item(17)->setCheckState(Qt::Checked);
    QVERIFY(log->calls.isEmpty());  // a tick alone writes nothing
    d.Button(13)->click();
    d.Button(13)->click();
    QCOMPARE(log->writes.size(), 36u);
    for (std::size_t k = 0; k < 18; ++k) {
      const bool on = k == 17 ? true : kRecommended[k];
      QCOMPARE(log->writes[k],
               (SettingsWrite{"list1", "list" + std::to_string(k), on ? "1" : "0"}));
    }
  }

  void check1WritesTheBootFileBeforeCheck1() {
    auto log = std::make_shared<ServiceLog>();
    const ui::Services services = testing::MakeFakeServices(log, {});
    ui::LiveOptions options;
    ui::SettingsDialog d(options, services);
    d.Check(1)->click();  // clear: only check1 = 0
    d.Check(1)->click();  // tick: boot file, then check1 = 1
    QCOMPARE(log->calls, QStringList({"write check/check1=0", "boot", "write check/check1=1"}));
  }

  void aFailedBootWriteIsShownAndCheck1StillRecorded() {
    auto log = std::make_shared<ServiceLog>();
    FakeSetup setup;
    setup.bootResult = std::make_error_code(std::errc::permission_denied);
    const ui::Services services = testing::MakeFakeServices(log, setup);
    ui::LiveOptions options;
    ui::SettingsDialog d(options, services);
    d.Check(1)->click();
    d.Check(1)->click();
    QVERIFY(d.Check(1)->isChecked());
    QCOMPARE(log->calls.last(), QStringLiteral("write check/check1=1"));
    auto* box = d.findChild<QMessageBox*>("bootFileError");
    QVERIFY(box != nullptr);
    QVERIFY(box->text().contains(QStringLiteral("没有权限")));
    QVERIFY(box->text().contains(QStringLiteral("/boot-file")));
    box->close();
  }

  void check2WritesCheck3And4DoNot() {
    auto log = std::make_shared<ServiceLog>();
    const ui::Services services = testing::MakeFakeServices(log, {});
    ui::LiveOptions options;
    ui::SettingsDialog d(options, services);
    d.Check(2)->click();
    QVERIFY(!options.TempFolders());
    d.Check(2)->click();
    d.Check(3)->click();
    d.Check(4)->click();
    QVERIFY(options.ZeroByte() && options.Audit());
    d.Button(14)->click();  // "应用": nothing
    QCOMPARE(log->calls, QStringList({"write check/check2=0", "write check/check2=1"}));
  }

  void theAgeIsOffAtStartAndPublishedWhileTicked() {
    auto log = std::make_shared<ServiceLog>();
    const ui::Services services = testing::MakeFakeServices(log, {});
    ui::LiveOptions options;
    ui::SettingsDialog d(options, services);
    QVERIFY(!d.AgeCheck()->isChecked() && !d.AgeDays()->isEnabled());
    QCOMPARE(options.OlderThanDays(), -1);
    d.AgeCheck()->click();
    QCOMPARE(options.OlderThanDays(), 30);
    d.AgeDays()->setValue(90);
    QCOMPARE(options.OlderThanDays(), 90);
    d.AgeCheck()->click();
    QCOMPARE(options.OlderThanDays(), -1);
    QVERIFY(log->calls.isEmpty());  // a scan option like the others: nothing recorded
  }

  void returnHidesAndKeepsState() {
    auto log = std::make_shared<ServiceLog>();
    const ui::Services services = testing::MakeFakeServices(log, {});
    ui::LiveOptions options;
    ui::SettingsDialog d(options, services);
    d.show();
    d.List1()->item(9)->setCheckState(Qt::Checked);
    d.Check(3)->click();
    d.Button(15)->click();
    QVERIFY(!d.isVisible());
    d.show();
    QVERIFY(d.PatternTicked(9));
    QVERIFY(d.Check(3)->isChecked());
    d.close();  // the title bar's close also only hides it
    QVERIFY(!d.isVisible());
    QVERIFY(d.Check(3)->isChecked());
  }

  void tipsDialogTextAndLayout() {
    auto log = std::make_shared<ServiceLog>();
    const ui::Services services = testing::MakeFakeServices(log, {});
    ui::TipsDialog d(services);
    d.setAttribute(Qt::WA_DeleteOnClose, false);
    QCOMPARE(d.windowTitle(), QStringLiteral("关于和提示"));
    // The designed size, taller when the text needs it: its last line is never cut.
    QCOMPARE(d.width(), 278);
    QVERIFY(d.height() >= 104);
    QVERIFY(d.Text()->height() >= d.Text()->heightForWidth(d.Text()->width()));
    QVERIFY(d.Check1()->y() >= d.Text()->geometry().bottom());
    QVERIFY(d.windowFlags() & Qt::WindowStaysOnTopHint);
    QVERIFY(d.Text()->text().startsWith(QStringLiteral("谢谢使用Kelvo 垃圾文件清扫器 2.0本系统")));
    QVERIFY(d.Text()->text().endsWith(QStringLiteral("避免影响扫描工作.")));
    QCOMPARE(d.Check1()->text(), QStringLiteral("总是出现该提示"));
    QVERIFY(d.Check1()->isChecked());
    QCOMPARE(d.OkButton()->text(), QStringLiteral("确定"));
    QVERIFY(d.OkButton()->x() > d.Check1()->x());
  }

  void tipsCheckWritesAtEachClick() {
    auto log = std::make_shared<ServiceLog>();
    const ui::Services services = testing::MakeFakeServices(log, {});
    QPointer<ui::TipsDialog> d = new ui::TipsDialog(services);
    d->show();
    d->Check1()->click();
    QCOMPARE(log->calls, QStringList({"write show/ts=0"}));
    QVERIFY(d->isVisible());  // stays open until "确定"
    d->Check1()->click();
    QCOMPARE(log->calls, QStringList({"write show/ts=0", "write show/ts=1"}));
    d->OkButton()->click();
    QTRY_VERIFY(d.isNull());  // closed and discarded
    QCOMPARE(log->calls.size(), 2);
  }

  void theRealSettingsFileGetsEveryValue() {
    testing::TempTree dir;
    const NativeString ini = Utf8ToNative(dir.Path("setting.ini"));
    qputenv("KELVO_SETTINGS_FILE", QByteArray::fromStdString(dir.Path("setting.ini")));
    ui::Services services = ui::DefaultServices();
    qunsetenv("KELVO_SETTINGS_FILE");
    QCOMPARE(services.settingsPath(), ini);
    const settings::BootCleanupTarget boot{Utf8ToNative(dir.Path("boot.conf")), "cleanup line"};
    services.writeBootCleanup = [boot] { return settings::WriteBootCleanup(boot); };
    services.bootCleanupDoneBy = nullptr;  // this machine's own rules are not the test's

    ui::LiveOptions options;
    ui::SettingsDialog d(options, services);
    d.Button(13)->click();
    d.Check(1)->click();
    d.Check(1)->click();
    d.Check(2)->click();
    QCOMPARE(settings::ReadIniValue(ini, "list1", "list0", "?"), std::string("1"));
    QCOMPARE(settings::ReadIniValue(ini, "list1", "list5", "?"), std::string("0"));
    QCOMPARE(settings::ReadIniValue(ini, "list1", "list17", "?"), std::string("0"));
    QCOMPARE(settings::ReadIniValue(ini, "check", "check1", "?"), std::string("1"));
    QCOMPARE(settings::ReadIniValue(ini, "check", "check2", "?"), std::string("0"));
    std::ifstream in(dir.Path("boot.conf"));
    std::stringstream content;
    content << in.rdbuf();
    QCOMPARE(content.str(), std::string("cleanup line\n"));

    ui::TipsDialog t(services);
    t.setAttribute(Qt::WA_DeleteOnClose, false);
    t.Check1()->click();
    QCOMPARE(settings::ReadTipsSwitch(ini), std::int16_t(0));
    t.Check1()->click();
    QCOMPARE(settings::ReadTipsSwitch(ini), std::int16_t(1));
  }

  // A settings file that cannot be read is said in the keep-list dialog and blocks deletions; a
  // pattern that can never match is refused.
  void anUnreadableKeepListIsSaidAndFlawedPatternsAreRefused() {
    testing::TempTree dir;
    dir.Dir("setting.ini");  // a folder where the file should be
    qputenv("KELVO_SETTINGS_FILE", QByteArray::fromStdString(dir.Path("setting.ini")));
    ui::Services services = ui::DefaultServices();
    qunsetenv("KELVO_SETTINGS_FILE");
    ui::LiveOptions options;
    ui::SettingsDialog d(options, services);
    QCOMPARE(options.KeepListError(), std::make_error_code(std::errc::is_a_directory));
    auto* said = d.KeepList()->findChild<QLabel*>("keepListReadError");
    QVERIFY(said && !said->isHidden());
    QVERIFY(said->text().startsWith(QStringLiteral("保留列表无法读取")));
    QVERIFY(!d.KeepList()->AddPattern(QStringLiteral("*.iso")));  // nothing stored over it

    ::rmdir(dir.Path("setting.ini").c_str());
    QVERIFY(!d.KeepList()->AddPattern(QStringLiteral("a//b")));
    QVERIFY(!d.KeepList()->AddPattern(QStringLiteral("./x")));
    QVERIFY(!d.KeepList()->AddPattern(QStringLiteral("*.[ch")));
    QVERIFY(d.KeepList()->AddPattern(QStringLiteral("*.iso")));  // readable again: stored
    QVERIFY(!options.KeepListError());
    QCOMPARE(d.KeepList()->Entries()->count(), 1);
  }

  // The trash option and the keep-list are stored at once and read back by the next window.
  void theTrashOptionAndTheKeepListAreStoredAndReadBack() {
    testing::TempTree dir;
    dir.Dir("photos");
    qputenv("KELVO_SETTINGS_FILE", QByteArray::fromStdString(dir.Path("setting.ini")));
    ui::Services services = ui::DefaultServices();
    qunsetenv("KELVO_SETTINGS_FILE");
    {
      ui::LiveOptions options;
      ui::SettingsDialog d(options, services);
      QVERIFY(!d.TrashCheck()->isChecked() && !options.Trash());  // off by default
      d.TrashCheck()->click();
      QVERIFY(options.Trash());
      ui::KeepListDialog* keep = d.KeepList();
      QVERIFY(keep->AddFolder(Utf8ToNative(dir.Path("photos"))));
      QVERIFY(keep->AddPattern(QStringLiteral("**/node_modules")));
      QVERIFY(keep->AddPattern(QStringLiteral("*.iso")));
      keep->Entries()->item(2)->setSelected(true);
      keep->RemoveSelected();
      QVERIFY(options.KeepListNow()->Covers(Utf8ToNative(dir.Path("photos/a.tmp"))));
    }
    ui::LiveOptions options;
    ui::SettingsDialog d(options, services);
    QVERIFY(d.TrashCheck()->isChecked() && options.Trash());
    QCOMPARE(d.KeepList()->Entries()->count(), 2);
    QVERIFY(d.KeepList()->Entries()->item(1)->text().endsWith(QStringLiteral("**/node_modules")));
    QVERIFY(options.KeepListNow()->Covers(Utf8ToNative("/src/node_modules/x/y.tmp")));
    QVERIFY(!options.KeepListNow()->Covers(Utf8ToNative("/src/disc.iso")));
  }

  void tipsOkWithoutTouchingWritesNothing() {
    auto log = std::make_shared<ServiceLog>();
    const ui::Services services = testing::MakeFakeServices(log, {});
    QPointer<ui::TipsDialog> d = new ui::TipsDialog(services);
    d->show();
    d->OkButton()->click();
    QTRY_VERIFY(d.isNull());
    QVERIFY(log->calls.isEmpty());
  }

  void theSystemsBootRuleIsNamedAndNothingWritten() {
    auto log = std::make_shared<ServiceLog>();
    ui::Services services = testing::MakeFakeServices(log, {});
    services.bootCleanupDoneBy = [] { return QStringLiteral("/usr/lib/tmpfiles.d/tmp.conf:1: D"); };
    ui::LiveOptions options;
    ui::SettingsDialog d(options, services);
    d.Check(1)->click();
    d.Check(1)->click();
    QVERIFY(!log->calls.contains("boot"));
    auto* box = d.findChild<QMessageBox*>("bootCleanupDoneBy");
    QVERIFY(box && box->text().contains("tmp.conf:1"));
    // Qt's own Chinese texts for the standard buttons (last: the translator stays installed).
    QVERIFY(ui::InstallQtChineseTranslations(*qApp));
    QMessageBox plain(QMessageBox::Warning, "", "", QMessageBox::Ok);
    QCOMPARE(plain.button(QMessageBox::Ok)->text(), QStringLiteral("确定"));
  }
};

QTEST_MAIN(DialogsTest)
#include "dialogs_test.moc"
