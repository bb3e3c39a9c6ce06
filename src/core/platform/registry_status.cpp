#include "platform/registry.h"

namespace kelvo::platform {

std::string RegStatusText(RegStatus status) {
  switch (status) {
    case kRegSuccess:
      return "success";
    case kRegFileNotFound:
      return "not found";
    case kRegAccessDenied:
      return "access denied";
    case kRegInvalidHandle:
      return "invalid key handle";
    case kRegInvalidData:
      return "the entry cannot be read";
    case kRegNotAFile:
      return "the registry file is not a regular file";
    case kRegFileTooLarge:
      return "the registry file is larger than 256 MB";
    case kRegMoreData:
      return "more data than the buffer holds";
    case kRegNoMoreItems:
      return "no more values";
    case kRegCorrupt:
      return "the registry cannot be read";
    default:
      return "status " + std::to_string(status);
  }
}

}  // namespace kelvo::platform
