#include "ui_fonts.h"

#include <QFontDatabase>
#include <QStringList>

namespace kelvo::ui {

QString UiFontFamily() {
  static const QString family = [] {
    const QStringList installed = QFontDatabase::families(QFontDatabase::SimplifiedChinese);
    for (const char* name :
         {"宋体", "SimSun", "NSimSun", "WenQuanYi Micro Hei", "Noto Sans CJK SC", "Noto Sans SC",
          "Source Han Sans SC", "WenQuanYi Zen Hei", "AR PL UMing CN", "Droid Sans Fallback"}) {
      const QString n = QString::fromUtf8(name);
      if (installed.contains(n, Qt::CaseInsensitive)) return n;
    }
    return installed.isEmpty() ? QString() : installed.first();
  }();
  return family;
}

QFont UiFont(double points, bool bold) {
  QFont f(UiFontFamily());
  f.setPointSizeF(points);
  f.setBold(bold);
  return f;
}

QString FrameStyle(const QString& objectName, const QString& background) {
  return QStringLiteral(
             "QGroupBox#%1 { border: 1px solid rgb(160,160,160); margin-top: 7px; background: %2; }"
             "QGroupBox#%1::title { subcontrol-origin: margin; subcontrol-position: top left;"
             " left: 7px; padding: 0px 2px; background: %2; }")
      .arg(objectName, background);
}

}  // namespace kelvo::ui
