// The language of the window: chosen by locale or KELVO_LANG, English from the built-in
// translation, Qt's standard buttons translated, every caption fitting its control in both
// languages; and the keyboard shortcuts.
#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QStyle>
#include <QTest>
#include <QTranslator>

#include "fake_services.h"
#include "main_window.h"
#include "status_line.h"
#include "translations.h"
#include "type_words.h"
#include "ui_fonts.h"

using namespace kelvo;
using kelvo::testing::ServiceLog;
using ui::Language;

namespace {

std::unique_ptr<ui::MainWindow> MakeWindow(std::shared_ptr<ServiceLog> log) {
  testing::FakeSetup setup;
  setup.drives = {{AsciiToNative("/"), AsciiToNative("/(root)")}};
  auto w = std::make_unique<ui::MainWindow>(testing::MakeFakeServices(log, setup));
  w->Startup();
  return w;
}

void Fill(ui::MainWindow& w, int count) {
  ui::TextNumbering labels, roots;
  ui::RowBatch batch;
  for (int i = 0; i < count; ++i) {
    scan::JunkItem item;
    item.fullPath = Utf8ToNative("/r/" + std::to_string(i) + ".tmp");
    item.fileName = Utf8ToNative(std::to_string(i) + ".tmp");
    item.typeLabel = Utf8ToNative("tmp临时文件");
    item.size = 1;
    item.rule = 1;
    batch.rows.push_back(ui::MakeRow(std::move(item), labels, roots, batch));
  }
  w.model().AppendBatch(std::move(batch));
}

// Every caption of a window and its dialogs must fit the control it is drawn in.
QStringList CaptionsThatDoNotFit(const QList<QWidget*>& windows) {
  QStringList cut;
  for (QWidget* window : windows) {
    for (QWidget* w : window->findChildren<QWidget*>()) {
      QString text;
      int room = w->width();
      if (auto* b = qobject_cast<QAbstractButton*>(w)) {
        text = b->text();
        if (qobject_cast<QCheckBox*>(w))  // the box and its gap
          room -= w->style()->pixelMetric(QStyle::PM_IndicatorWidth) +
                  w->style()->pixelMetric(QStyle::PM_CheckBoxLabelSpacing);
      } else if (auto* l = qobject_cast<QLabel*>(w); l && !l->wordWrap()) {
        text = l->text();
      } else if (auto* g = qobject_cast<QGroupBox*>(w)) {
        text = g->title();
        room -= 16;
      }
      if (!text.isEmpty() && w->fontMetrics().horizontalAdvance(text) > room)
        cut << w->objectName() + ": " + text;
    }
  }
  return cut;
}

}  // namespace

class LanguageTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { QApplication::setFont(ui::UiFont(9)); }  // as the program does

  void cleanup() {
    for (QTranslator* t : qApp->findChildren<QTranslator*>()) {
      QCoreApplication::removeTranslator(t);
      delete t;
    }
  }

  void languageFollowsLocaleUnlessKelvoLangSays() {
    const QLocale china(QLocale::Chinese, QLocale::China);
    const QLocale taiwan(QLocale::Chinese, QLocale::TraditionalChineseScript, QLocale::Taiwan);
    const QLocale us(QLocale::English, QLocale::UnitedStates);
    const QLocale german(QLocale::German, QLocale::Germany);
    QCOMPARE(ui::ChooseLanguage("", china), Language::kChinese);
    QCOMPARE(ui::ChooseLanguage("", taiwan), Language::kChinese);
    QCOMPARE(ui::ChooseLanguage("", us), Language::kEnglish);
    QCOMPARE(ui::ChooseLanguage("", german), Language::kEnglish);
    QCOMPARE(ui::ChooseLanguage("en", china), Language::kEnglish);
    QCOMPARE(ui::ChooseLanguage(" ZH ", german), Language::kChinese);
    QCOMPARE(ui::ChooseLanguage("fr", china), Language::kChinese);  // unknown: the locale decides
  }

  void englishWindowTexts() {
    QVERIFY(ui::InstallTranslations(*qApp, Language::kEnglish));
    auto log = std::make_shared<ServiceLog>();
    auto w = MakeWindow(log);
    QCOMPARE(w->windowTitle(), QStringLiteral("Kelvo Junk File Cleaner 2.02"));
    QStringList popups, flats;
    for (int n = 1; n <= 4; ++n) popups << w->asPopup(n)->text();
    for (int i = 0; i < 4; ++i) flats << w->uc(i)->text();
    QCOMPARE(popups, QStringList({"Scan", "Clean", "Settings", "Exit"}));
    QCOMPARE(flats, QStringList({"Tick all", "Untick all", "Drop ticked", "Clear list"}));
    QCOMPARE(w->model().headerData(3, Qt::Horizontal).toString(), QStringLiteral("Size (bytes)"));
    QCOMPARE(w->tv()->Node(1)->text(0), QStringLiteral("Scan disks"));
    QCOMPARE(w->settingsDialog()->List1()->item(0)->text(),
             QStringLiteral("*.tmp (temporary files)"));
    QCOMPARE(ui::TypeWords(QStringLiteral("TMP临时文件")), QStringLiteral("TMP temporary file"));
    QCOMPARE(ui::TypeWords(QStringLiteral("Temp临时文件")), QStringLiteral("Temp folder file"));
    QCOMPARE(ui::TypeWords(QStringLiteral("空文件夹")), QStringLiteral("Empty folder"));

    // Ticking the translated drives root still ticks its drives.
    w->tv()->SetTicked(1, true);
    QCOMPARE(w->tv()->Node(2)->checkState(0), Qt::Checked);

    QMessageBox box(QMessageBox::Warning, "", "", QMessageBox::Ok);
    QCOMPARE(box.button(QMessageBox::Ok)->text().remove('&'), QStringLiteral("OK"));

    // The type column sorts on the English it shows, not on the Chinese behind it.
    ui::TextNumbering labels, roots;
    ui::RowBatch batch;
    for (const char* label : {"tmp临时文件", "空文件夹", "零字节文件"}) {
      scan::JunkItem item;
      item.fullPath = item.fileName = Utf8ToNative(label);
      item.typeLabel = Utf8ToNative(label);
      batch.rows.push_back(ui::MakeRow(std::move(item), labels, roots, batch));
    }
    w->model().AppendBatch(std::move(batch));
    w->model().sort(2, Qt::AscendingOrder);
    QStringList types;
    for (int r = 0; r < w->model().rowCount(); ++r) types << w->model().Text(r, 2);
    QCOMPARE(types, QStringList({"Empty folder", "Zero-byte file", "tmp temporary file"}));

    // The count of rows needing an administrator, in the singular and the plural.
    ui::RowBatch admin;
    for (int i = 0; i < 2; ++i) {
      scan::JunkItem item;
      item.fullPath = Utf8ToNative("/var/" + std::to_string(i));
      item.fileName = Utf8ToNative(std::to_string(i));
      item.needsAdmin = true;
      admin.rows.push_back(ui::MakeRow(std::move(item), labels, roots, admin));
      if (i == 0) {
        w->model().AppendBatch(std::move(admin));
        admin = {};
        QVERIFY2(
            w->statusLine()->FullText().contains(QStringLiteral("1 needs administrator rights")),
            qPrintable(w->statusLine()->FullText()));
      }
    }
    w->model().AppendBatch(std::move(admin));
    QVERIFY2(w->statusLine()->FullText().contains(QStringLiteral("2 need administrator rights")),
             qPrintable(w->statusLine()->FullText()));
  }

  void chineseKeepsItsTextsAndTranslatesQtButtons() {
    ui::InstallTranslations(*qApp, Language::kChinese);
    auto log = std::make_shared<ServiceLog>();
    auto w = MakeWindow(log);
    QCOMPARE(w->windowTitle(), QStringLiteral("Kelvo 垃圾文件清扫器 2.02"));
    QCOMPARE(w->asPopup(1)->text(), QStringLiteral("扫描垃圾"));
    QCOMPARE(ui::TypeWords(QStringLiteral("TMP临时文件")), QStringLiteral("TMP临时文件"));
    QMessageBox box(QMessageBox::Warning, "", "", QMessageBox::Ok);
    if (!QTranslator().load(QLocale(QLocale::Chinese, QLocale::China), "qtbase", "_",
                            QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
      QSKIP("Qt's Chinese translations are not installed");
    QVERIFY2(box.button(QMessageBox::Ok)->text().contains(QStringLiteral("确定")),
             qPrintable(box.button(QMessageBox::Ok)->text()));
  }

  void captionsFitInBothLanguages() {
    for (Language language : {Language::kChinese, Language::kEnglish}) {
      cleanup();
      ui::InstallTranslations(*qApp, language);
      auto log = std::make_shared<ServiceLog>();
      auto w = MakeWindow(log);
      auto* tips = new ui::TipsDialog(testing::MakeFakeServices(log, {}), w.get());
      const QStringList cut = CaptionsThatDoNotFit({w.get(), w->settingsDialog(), tips});
      QVERIFY2(cut.isEmpty(), qPrintable(cut.join("; ")));
      tips->close();
    }
  }

  void shortcutsDoWhatTheirButtonsDo() {
    auto log = std::make_shared<ServiceLog>();
    auto w = MakeWindow(log);
    w->show();
    QVERIFY(QTest::qWaitForWindowActive(w.get()));
    Fill(*w, 3);
    w->lv()->setFocus();

    QTest::keyClick(w.get(), Qt::Key_A, Qt::ControlModifier);
    QVERIFY(w->model().Checked(0) && w->model().Checked(1) && w->model().Checked(2));

    QTest::keyClick(w.get(), Qt::Key_Comma, Qt::ControlModifier);
    QVERIFY(w->settingsDialog()->isVisible());
    w->settingsDialog()->hide();
    w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w.get()));

    QTest::keyClick(w.get(), Qt::Key_Delete);
    QTRY_VERIFY_WITH_TIMEOUT(!w->Deleting(), 20000);
    QCOMPARE(log->calls.filter("delete").size(), 3);
    QCOMPARE(w->model().rowCount(), 0);

    QTest::keyClick(w.get(), Qt::Key_F5);
    QCOMPARE(w->asPopup(1)->text(), ui::MainWindow::StopCaption());
    QTest::keyClick(w.get(), Qt::Key_Escape);
    QCOMPARE(w->asPopup(1)->text(), ui::MainWindow::ScanCaption());

    QTest::keyClick(w.get(), Qt::Key_Q, Qt::ControlModifier);
    QVERIFY(!w->isVisible());
  }
};

QTEST_MAIN(LanguageTest)
#include "language_test.moc"
