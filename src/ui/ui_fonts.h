// The interface font: "宋体" where the system has it, otherwise a Chinese font of the system.
#pragma once

#include <QFont>
#include <QString>

namespace kelvo::ui {

QString UiFontFamily();
QFont UiFont(double points, bool bold = false);

// A frame with its caption set into the top border line, on the given background.
QString FrameStyle(const QString& objectName, const QString& background);

}  // namespace kelvo::ui
