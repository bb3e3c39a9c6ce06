#include "service_seams.h"

#include "settings/boot_cleanup.h"
#include "settings/settings_file.h"
#include "setup/component_setup.h"
#include "ui_text.h"

// One call each into the core library. The audit and the deletion are not there yet: the audit adds
// nothing and the deletion deletes nothing, reporting every row as failed.
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

std::error_code WriteIniValue(const NativeString& path, std::string_view section,
                              std::string_view key, std::string_view value) {
  return settings::WriteIniValue(path, section, key, value);
}

std::error_code WriteBootCleanup() {
  return settings::WriteBootCleanup(settings::DefaultBootCleanupTarget());
}

QString BootFileName() {
  return ToQString(settings::DefaultBootCleanupTarget().file);
}

void AuditSharedDlls(scan::ScanControls&) {}

std::vector<RowDeletion> DeleteItems(const std::vector<scan::JunkItem>& items,
                                     const DeletionProgressFunction& progress) {
  std::vector<RowDeletion> out(items.size());
  for (auto& r : out) r.reason = QStringLiteral("删除功能不可用");
  if (progress) progress(items.size(), items.size());
  return out;
}

}  // namespace kelvo::ui::seams
