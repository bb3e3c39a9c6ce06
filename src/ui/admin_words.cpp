#include "admin_words.h"

#include <QCoreApplication>

namespace kelvo::ui {
namespace {

QString Words(const char* text) {
  return QCoreApplication::translate("kelvo::ui::AdminWords", text);
}

}  // namespace

QString NeedsAdminText() {
  return Words("需要管理员权限");
}

QString NeedAdminCountText(std::size_t count) {
  return Words("%1 个需要管理员权限").arg(count);
}

QString AdminOfferText(std::size_t count) {
  return Words("以管理员身份清除 %1 个").arg(count);
}

QString AdminStepFailedText(const QString& why) {
  return Words("管理员步骤没有完成：%1").arg(why);
}

}  // namespace kelvo::ui
