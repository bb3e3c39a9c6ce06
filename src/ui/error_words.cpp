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
  if (c == std::errc::invalid_argument)
    return QCoreApplication::translate("kelvo::ui::ErrorWords", "参数无效");
  if (c == std::errc::io_error)
    return QCoreApplication::translate("kelvo::ui::ErrorWords", "读写错误");
  if (c == std::errc::filename_too_long)
    return QCoreApplication::translate("kelvo::ui::ErrorWords", "名称太长");
  if (c == std::errc::too_many_symbolic_link_levels)
    return QCoreApplication::translate("kelvo::ui::ErrorWords", "符号链接层次太多");
  if (c == std::errc::not_a_directory)
    return QCoreApplication::translate("kelvo::ui::ErrorWords", "路径中有一项不是文件夹");
  if (c == std::errc::too_many_files_open || c == std::errc::too_many_files_open_in_system)
    return QCoreApplication::translate("kelvo::ui::ErrorWords", "打开的文件太多");
  if (c == std::errc::not_enough_memory)
    return QCoreApplication::translate("kelvo::ui::ErrorWords", "内存不足");
  if (c == std::errc::cross_device_link)
    return QCoreApplication::translate("kelvo::ui::ErrorWords", "位于另一个文件系统");
  if (c == std::errc::file_exists)
    return QCoreApplication::translate("kelvo::ui::ErrorWords", "文件已存在");
  if (c == std::errc::timed_out)
    return QCoreApplication::translate("kelvo::ui::ErrorWords", "操作超时");
  if (c == std::errc::interrupted)
    return QCoreApplication::translate("kelvo::ui::ErrorWords", "操作被中断");
  // The system's own message is English; the number lets a user look it up.
  return QCoreApplication::translate("kelvo::ui::ErrorWords", "系统错误 (代码 %1)")
      .arg(error.value());
}

}  // namespace kelvo::ui
