#include "deletion_words.h"

#include <QCoreApplication>

#include "error_words.h"

namespace kelvo::ui {

QString DeletionFailureWords(const cleanup::DeletionResult& result) {
  using cleanup::DeletionFailure;
  switch (result.failure) {
    case DeletionFailure::kChangedSinceScan:
      return QCoreApplication::translate("kelvo::ui::DeletionWords", "扫描之后已被改动");
    case DeletionFailure::kLinkInPath:
      return QCoreApplication::translate("kelvo::ui::DeletionWords", "路径中有符号链接");
    case DeletionFailure::kOtherFileSystem:
      return QCoreApplication::translate("kelvo::ui::DeletionWords", "位于另一个文件系统");
    case DeletionFailure::kPermissionDenied:
      return QCoreApplication::translate("kelvo::ui::DeletionWords", "没有权限");
    case DeletionFailure::kInUse:
      return QCoreApplication::translate("kelvo::ui::DeletionWords", "文件正在使用");
    case DeletionFailure::kNotEmpty:
      return QCoreApplication::translate("kelvo::ui::DeletionWords", "文件夹不是空的");
    case DeletionFailure::kIsDirectory:
      return QCoreApplication::translate("kelvo::ui::DeletionWords", "这是一个文件夹");
    case DeletionFailure::kKept:
      return QCoreApplication::translate("kelvo::ui::DeletionWords", "在保留列表中");
    case DeletionFailure::kNoTrash:
      return QCoreApplication::translate("kelvo::ui::DeletionWords",
                                         "所在文件系统没有可用的回收站");
    case DeletionFailure::kPackageFile:
      return QCoreApplication::translate("kelvo::ui::DeletionWords", "属于已安装的软件包");
    case DeletionFailure::kWrongKind:
      return QCoreApplication::translate("kelvo::ui::DeletionWords",
                                         "不是文件(设备、管道或套接字)");
    case DeletionFailure::kBadPath:
      return QCoreApplication::translate("kelvo::ui::DeletionWords", "不是扫描位置下的普通路径");
    case DeletionFailure::kTrashItemRemains:
      return QCoreApplication::translate("kelvo::ui::DeletionWords", "回收站中的项目仍然存在");
    case DeletionFailure::kKeepListUnreadable:
      return QCoreApplication::translate("kelvo::ui::DeletionWords", "无法读取保留列表");
    case DeletionFailure::kNone:
    case DeletionFailure::kOther:
      break;
  }
  return result.error ? ErrorWords(result.error)
                      : QCoreApplication::translate("kelvo::ui::DeletionWords", "其他错误");
}

}  // namespace kelvo::ui
