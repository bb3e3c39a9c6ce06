// Services for the window's tests: every call is recorded, settings writes are kept in memory, and
// the drives, the audit and the deletion are whatever the test sets.
#pragma once

#include <QStringList>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "services.h"

namespace kelvo::testing {

struct SettingsWrite {
  std::string section, key, value;
  bool operator==(const SettingsWrite&) const = default;
};

struct ServiceLog {
  std::mutex mutex;
  QStringList calls;  // "install", "drives", "tips", "write list1/list0=1", "boot", "audit", ...
  std::vector<SettingsWrite> writes;
  void Add(const QString& call) {
    std::lock_guard lock(mutex);
    calls << call;
  }
};

struct FakeSetup {
  std::vector<platform::Drive> drives;
  std::int16_t tipsSwitch = 0;
  std::error_code bootResult;
  bool throwOnInstall = false;
  cleanup::DeletionOutcome deleteOutcome =
      cleanup::DeletionOutcome::kDeleted;  // a failure: no permission
};

// The log outlives the services that write to it.
ui::Services MakeFakeServices(std::shared_ptr<ServiceLog> log, FakeSetup setup);

}  // namespace kelvo::testing
