#include "service_seams.h"

#include <QtGlobal>

#include "cleanup/deletion.h"
#include "components/shared_dll_audit.h"
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
  cleanup::DeletionOptions options;
  options.toTrash = choice.toTrash;
  options.keep = choice.keep && !choice.keep->empty() ? choice.keep.get() : nullptr;
  // One file at a time, so that a stop takes effect after the file in hand.
  std::vector<cleanup::DeletionResult> results;
  results.reserve(items.size());
  for (const auto& item : items) {
    std::vector<cleanup::DeletionResult> one =
        cleanup::DeleteItems({cleanup::RequestFor(item)}, {}, options);
    if (one.empty()) break;
    results.push_back(one.front());
    if (progress && !progress(results.size(), items.size())) break;
  }
  return results;
}

}  // namespace kelvo::ui::seams
