#include <QApplication>
#include <QIcon>
#include <cstdio>
#include <cstring>
#include <string>

#include "main_window.h"
#include "translations.h"
#include "ui_fonts.h"
#include "version/version.h"

namespace {

constexpr const char* kHelp =
    "Usage: kelvo [--help] [--version] [Qt options]\n"
    "The desktop program of Kelvo: find and delete junk files.\n"
    "\n"
    "  -h, --help     print this help and exit\n"
    "  -V, --version  print the version and exit\n"
    "\n"
    "The interface is Chinese for a zh locale and English otherwise; KELVO_LANG=zh or en chooses.\n"
    "On the command line, see kelvo-cli(1).\n";

// The answers that need no display, before Qt looks for one.
bool AnswerWithoutDisplay(int argc, char* argv[], int& status) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
      std::fputs(kHelp, stdout);
      status = 0;
      return true;
    }
    if (std::strcmp(argv[i], "--version") == 0 || std::strcmp(argv[i], "-V") == 0) {
      std::printf("%s\n", std::string(kelvo::kVersionText).c_str());
      status = 0;
      return true;
    }
  }
  return false;
}

}  // namespace

int main(int argc, char* argv[]) {
  int status = 0;
  if (AnswerWithoutDisplay(argc, argv, status)) return status;

  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("kelvo"));
  QApplication::setApplicationVersion(QStringLiteral(KELVO_VERSION_NUMBER));
  QGuiApplication::setDesktopFileName(QStringLiteral("kelvo"));  // the Wayland app id
  QIcon icon(QStringLiteral(":/icons/256/kelvo.png"));
  icon.addFile(QStringLiteral(":/icons/48/kelvo.png"));
  QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("kelvo"), icon));
  kelvo::ui::InstallTranslations(app, kelvo::ui::LanguageOfTheUser());
  QApplication::setFont(kelvo::ui::UiFont(9));
  kelvo::ui::MainWindow window(kelvo::ui::DefaultServices());
  window.Startup();
  window.show();
  return QApplication::exec();
}
