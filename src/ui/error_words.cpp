#include "error_words.h"

#include <QCoreApplication>

namespace kelvo::ui {

QString ErrorWords(std::error_code error) {
  const std::error_condition c = error.default_error_condition();
  if (c == std::errc::permission_denied || c == std::errc::operation_not_permitted)
    return QCoreApplication::translate("kelvo::ui::ErrorWords", "没有权限");
  if (c == std::errc::read_only_file_system)
    return QCoreApplication::translate("kelvo::ui::ErrorWords", "文件系统是只读的");
  if (c == std::errc::no_such_file_or_directory)
    return QCoreApplication::translate("kelvo::ui::ErrorWords", "文件或文件夹不存在");
  if (c == std::errc::no_space_on_device)
    return QCoreApplication::translate("kelvo::ui::ErrorWords", "磁盘空间不足");
  if (c == std::errc::function_not_supported || c == std::errc::not_supported)
    return QCoreApplication::translate("kelvo::ui::ErrorWords", "本系统不支持此功能");
  if (c == std::errc::device_or_resource_busy || c == std::errc::text_file_busy)
    return QCoreApplication::translate("kelvo::ui::ErrorWords", "文件正在使用");
  if (c == std::errc::is_a_directory)
    return QCoreApplication::translate("kelvo::ui::ErrorWords", "这是一个文件夹");
  if (c == std::errc::directory_not_empty)
    return QCoreApplication::translate("kelvo::ui::ErrorWords", "文件夹不是空的");
  return QCoreApplication::translate("kelvo::ui::ErrorWords", "错误: %1")
      .arg(QString::fromStdString(error.message()));
}

}  // namespace kelvo::ui
