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
    case DeletionFailure::kNone:
    case DeletionFailure::kOther:
      break;
  }
  return result.error ? ErrorWords(result.error)
                      : QCoreApplication::translate("kelvo::ui::DeletionWords", "其他错误");
}

}  // namespace kelvo::ui
