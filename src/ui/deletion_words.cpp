#include "deletion_words.h"

#include "error_words.h"

namespace kelvo::ui {

QString DeletionFailureWords(const cleanup::DeletionResult& result) {
  using cleanup::DeletionFailure;
  switch (result.failure) {
    case DeletionFailure::kChangedSinceScan:
      return QStringLiteral("扫描之后已被改动");
    case DeletionFailure::kLinkInPath:
      return QStringLiteral("路径中有符号链接");
    case DeletionFailure::kOtherFileSystem:
      return QStringLiteral("位于另一个文件系统");
    case DeletionFailure::kPermissionDenied:
      return QStringLiteral("没有权限");
    case DeletionFailure::kInUse:
      return QStringLiteral("文件正在使用");
    case DeletionFailure::kNotEmpty:
      return QStringLiteral("文件夹不是空的");
    case DeletionFailure::kIsDirectory:
      return QStringLiteral("这是一个文件夹");
    case DeletionFailure::kNone:
    case DeletionFailure::kOther:
      break;
  }
  return result.error ? ErrorWords(result.error) : QStringLiteral("其他错误");
}

}  // namespace kelvo::ui
