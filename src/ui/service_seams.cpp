#include "service_seams.h"

#include <QtGlobal>

#include "cleanup/deletion.h"
#include "components/shared_dll_audit.h"
#include "prepare/prepared_run.h"
#include "settings/boot_cleanup.h"
#include "settings/settings_file.h"
#include "setup/component_setup.h"
#include "ui_text.h"

// One call each into the core library.
namespace kelvo::ui::seams {

void InstallComponents() {
  setup::InstallComponents();
}

NativeString SettingsFilePath() {
  return settings::SettingsFilePath();
}

std::int16_t ReadTipsSwitch(const NativeString& path) {
  return settings::ReadTipsSwitch(path);
}

std::string ReadIniValue(const NativeString& path, std::string_view section, std::string_view key) {
  return settings::ReadIniValue(path, section, key, "");
}

std::error_code WriteIniValue(const NativeString& path, std::string_view section,
                              std::string_view key, std::string_view value) {
  return settings::WriteIniValue(path, section, key, value);
}

std::error_code WriteBootCleanup() {
  return settings::WriteBootCleanup(settings::DefaultBootCleanupTarget());
}

QString BootCleanupDoneBy() {
  auto rule = settings::BootCleanupDoneBy(settings::DefaultBootCleanupTarget());
  return rule ? QString::fromStdString(*rule) : QString();
}

std::unique_ptr<scan::PackageFilter> PackageFilter() {
  return std::make_unique<scan::PackageFilter>(platform::SystemPackageDatabases());
}

QString BootFileName() {
  return ToQString(settings::DefaultBootCleanupTarget().file);
}

void AuditSharedDlls(scan::ScanSink& sink) {
  const components::AuditSummary summary = components::AuditSharedDlls(
      sink, platform::NativeRegistry(), platform::NativeWindowsFileSize);
  // The rows show what could be read; a table read only in part must not pass for the whole one.
  if (summary.openStatus != platform::kRegSuccess) {
    qWarning("shared-DLL table not read: %s", platform::RegStatusText(summary.openStatus).c_str());
  } else if (summary.endStatus != platform::kRegNoMoreItems || summary.unreadable) {
    qWarning("shared-DLL table incomplete: %zu of %zu entries unreadable, reading ended with: %s",
             summary.unreadable, summary.examined,
             platform::RegStatusText(summary.endStatus).c_str());
  }
}

std::vector<cleanup::DeletionResult> DeleteItems(const std::vector<scan::JunkItem>& items,
                                                 const DeletionProgressFunction& progress,
                                                 const DeletionChoice& choice) {
  // The same set-up and gate as kelvo-cli's: the stored keep-list read again whenever it changes
  // (unreadable: every row stays), the window's own list, the package files, the entry on disk.
  prepare::RunChoices run;
  run.settingsPath = choice.settingsPath;
  run.alsoKept = choice.keep;
  run.packageFilesKept = choice.packageFilesKept && choice.packageFilter != nullptr;
  run.packageFilter = choice.packageFilter;
  prepare::PreparedRun prepared(std::move(run));
  auto gate = prepared.MakeGate({.toTrash = choice.toTrash});
  // One file at a time, so that a stop takes effect after the file in hand.
  std::vector<cleanup::DeletionResult> results;
  results.reserve(items.size());
  for (const auto& item : items) {
    results.push_back(gate->Pass(cleanup::RequestFor(item)));
    if (progress && !progress(results.size(), items.size())) break;
  }
  return results;
}

}  // namespace kelvo::ui::seams
