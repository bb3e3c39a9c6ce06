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
  auto* translator = new QTranslator(&app);
  bool loaded = false;
  if (language == Language::kEnglish) {
    loaded = translator->load(QStringLiteral(":/i18n/kelvo_en.qm"));
  } else {
    // The window is Chinese already; Qt's standard buttons need Qt's own catalogue.
    loaded =
        translator->load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"),
                         QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath));
  }
  if (!loaded) {
    delete translator;
    return false;
  }
  QCoreApplication::installTranslator(translator);
  return true;
}

}  // namespace kelvo::ui
