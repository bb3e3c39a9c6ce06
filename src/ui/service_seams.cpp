#include "service_seams.h"

#include <QCoreApplication>

#include "ui_text.h"

// Services that the core library does not offer yet answer "not supported"; each is one call away
// from the real one.
namespace kelvo::ui::seams {

namespace {
std::error_code NotAvailable() {
  return std::make_error_code(std::errc::function_not_supported);
}
}  // namespace

void InstallComponents() {}

NativeString SettingsFilePath() {
  return ToNative(QCoreApplication::applicationDirPath() + QStringLiteral("/setting.ini"));
}

std::int16_t ReadTipsSwitch(const NativeString&) {
  return 0;
}

std::error_code WriteIniValue(const NativeString&, std::string_view, std::string_view,
                              std::string_view) {
  return NotAvailable();
}

std::error_code WriteBootCleanup() {
  return NotAvailable();
}

QString BootFileName() {
  return QString();
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
