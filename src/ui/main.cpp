#include <QApplication>

#include "main_window.h"
#include "qt_translations.h"
#include "ui_fonts.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("kelvo"));
  kelvo::ui::InstallQtChineseTranslations(app);
  QApplication::setFont(kelvo::ui::UiFont(9));
  kelvo::ui::MainWindow window(kelvo::ui::DefaultServices());
  window.Startup();
  window.show();
  return QApplication::exec();
}
