// The language of the interface: Chinese for a zh locale, English for every other one, or what
// KELVO_LANG (zh or en) says. The window's texts are written in Chinese; English comes from the
// translation built into the program, Qt's own texts (standard buttons) from Qt's translations.
#pragma once

#include <QLocale>
#include <QString>

class QCoreApplication;

namespace kelvo::ui {

enum class Language { kChinese, kEnglish };

Language ChooseLanguage(const QString& kelvoLang, const QLocale& locale);

// Chooses from the environment and the system locale.
Language LanguageOfTheUser();

// Installs the translators of a language on the application (none are needed for the window's own
// Chinese). Returns false when a translation that should be there could not be loaded.
bool InstallTranslations(QCoreApplication& app, Language language);

}  // namespace kelvo::ui
