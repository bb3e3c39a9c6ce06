#include "qt_translations.h"

#include <QLibraryInfo>
#include <QTranslator>

namespace kelvo::ui {

bool InstallQtChineseTranslations(QCoreApplication& app) {
  auto* translator = new QTranslator(&app);
  if (!translator->load(QStringLiteral("qtbase_zh_CN"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    delete translator;
    return false;
  }
  return QCoreApplication::installTranslator(translator);
}

}  // namespace kelvo::ui
