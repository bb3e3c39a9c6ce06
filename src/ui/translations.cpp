#include "translations.h"

#include "qt_translations.h"

#include <QCoreApplication>
#include <QTranslator>

namespace kelvo::ui {

Language ChooseLanguage(const QString& kelvoLang, const QLocale& locale) {
  const QString wanted = kelvoLang.trimmed().toLower();
  if (wanted == QLatin1String("zh")) return Language::kChinese;
  if (wanted == QLatin1String("en")) return Language::kEnglish;
  return locale.language() == QLocale::Chinese ? Language::kChinese : Language::kEnglish;
}

Language LanguageOfTheUser() {
  return ChooseLanguage(qEnvironmentVariable("KELVO_LANG"), QLocale::system());
}

bool InstallTranslations(QCoreApplication& app, Language language) {
  // The window is Chinese already; Qt's standard buttons need Qt's own catalogue.
  if (language == Language::kChinese) return InstallQtChineseTranslations(app);
  auto* translator = new QTranslator(&app);
  if (!translator->load(QStringLiteral(":/i18n/kelvo_en.qm"))) {
    delete translator;
    return false;
  }
  return QCoreApplication::installTranslator(translator);
}

}  // namespace kelvo::ui
