#include "error_words.h"

namespace kelvo::ui {

QString ErrorWords(std::error_code error) {
  const std::error_condition c = error.default_error_condition();
  if (c == std::errc::permission_denied || c == std::errc::operation_not_permitted)
    return QStringLiteral("没有权限");
  if (c == std::errc::read_only_file_system) return QStringLiteral("文件系统是只读的");
  if (c == std::errc::no_such_file_or_directory) return QStringLiteral("文件或文件夹不存在");
  if (c == std::errc::no_space_on_device) return QStringLiteral("磁盘空间不足");
  if (c == std::errc::function_not_supported || c == std::errc::not_supported)
    return QStringLiteral("本系统不支持此功能");
  if (c == std::errc::device_or_resource_busy || c == std::errc::text_file_busy)
    return QStringLiteral("文件正在使用");
  if (c == std::errc::is_a_directory) return QStringLiteral("这是一个文件夹");
  if (c == std::errc::directory_not_empty) return QStringLiteral("文件夹不是空的");
  return QStringLiteral("错误: %1").arg(QString::fromStdString(error.message()));
}

}  // namespace kelvo::ui
