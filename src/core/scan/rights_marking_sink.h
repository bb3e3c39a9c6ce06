// A sink in front of another that marks the rows only an administrator could remove.
#pragma once

#include "platform/removal_rights.h"
#include "scan/scan_sink.h"

namespace kelvo::scan {

class RightsMarkingSink final : public ScanSink {
 public:
  RightsMarkingSink(ScanSink& next, platform::RemovalRights& rights)
      : next_(next), rights_(rights) {}

  void FolderReached(NativeStringView path) override { next_.FolderReached(path); }
  void RowFound(JunkItem item) override {
    if (item.rule != kAuditRule) item.needsAdmin = rights_.NeedsAdministrator(item.fullPath);
    next_.RowFound(std::move(item));
  }
  void FolderUnreadable(NativeStringView path, std::error_code error) override {
    next_.FolderUnreadable(path, error);
  }
  void ProgressTick() override { next_.ProgressTick(); }
  void WalkEnded() override { next_.WalkEnded(); }

 private:
  ScanSink& next_;
  platform::RemovalRights& rights_;
};

}  // namespace kelvo::scan
