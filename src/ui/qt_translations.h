// Qt's own Chinese texts for its standard buttons and dialogs (OK, Cancel, Yes, No, ...).
#pragma once

#include <QCoreApplication>

namespace kelvo::ui {

// Installs qtbase_zh_CN from Qt's translations folder; false when it is not there (the Debian
// package qt6-translations-l10n ships it).
bool InstallQtChineseTranslations(QCoreApplication& app);

}  // namespace kelvo::ui
