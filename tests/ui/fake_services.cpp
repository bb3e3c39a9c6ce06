#include "fake_services.h"

#include <stdexcept>

namespace kelvo::testing {

ui::Services MakeFakeServices(std::shared_ptr<ServiceLog> log, FakeSetup setup) {
  ui::Services s;
  s.installComponents = [log, setup] {
    log->Add("install");
    if (setup.throwOnInstall) throw std::runtime_error("component setup failed");
  };
  s.settingsPath = [] { return AsciiToNative("/nonexistent/setting.ini"); };
  s.readTipsSwitch = [log, setup](const NativeString&) {
    log->Add("tips");
    return setup.tipsSwitch;
  };
  s.writeIniValue = [log](const NativeString&, std::string_view section, std::string_view key,
                          std::string_view value) {
    std::lock_guard lock(log->mutex);
    log->calls << QString::fromStdString("write " + std::string(section) + "/" + std::string(key) +
                                         "=" + std::string(value));
    log->writes.push_back({std::string(section), std::string(key), std::string(value)});
    return std::error_code();
  };
  s.writeBootCleanup = [log, setup] {
    log->Add("boot");
    return setup.bootResult;
  };
  s.bootFileName = [] { return QStringLiteral("/boot-file"); };
  s.listDrives = [log, setup] {
    log->Add("drives");
    return setup.drives;
  };
  s.fileSystem = &platform::NativeFileSystem();
  s.audit = [log](scan::ScanSink&) { log->Add("audit"); };
  s.deleteItems = [log, setup](const std::vector<scan::JunkItem>& items,
                               const ui::DeletionProgressFunction& progress,
                               const ui::DeletionChoice& choice) {
    std::vector<cleanup::DeletionResult> out;
    for (const auto& item : items) {
      cleanup::DeletionResult r;
      if (choice.keep && choice.keep->Covers(item.fullPath)) {
        r.failure = cleanup::DeletionFailure::kKept;
        out.push_back(r);
        continue;
      }
      log->Add((choice.toTrash ? "trash " : "delete ") +
               QString::fromStdString(NativeToUtf8(item.fullPath)));
      r.outcome = setup.deleteOutcome;
      r.failure = r.outcome == cleanup::DeletionOutcome::kFailed
                      ? cleanup::DeletionFailure::kPermissionDenied
                      : cleanup::DeletionFailure::kNone;
      if (choice.toTrash) {
        r.trash = Utf8ToNative("/home/u/.local/share/Trash");
        r.intoTrash = r.outcome == cleanup::DeletionOutcome::kDeleted;
      }
      out.push_back(r);
      if (progress && !progress(out.size(), items.size())) break;  // stopped
    }
    return out;
  };
  return s;
}

}  // namespace kelvo::testing
