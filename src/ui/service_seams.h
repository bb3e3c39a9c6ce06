// One function per outside service, each a thin call into the core library.
#pragma once

#include "services.h"

namespace kelvo::ui::seams {

void InstallComponents();
NativeString SettingsFilePath();
std::int16_t ReadTipsSwitch(const NativeString& path);
std::error_code WriteIniValue(const NativeString& path, std::string_view section,
                              std::string_view key, std::string_view value);
std::error_code WriteBootCleanup();
QString BootCleanupDoneBy();
std::string ReadIniValue(const NativeString& path, std::string_view section, std::string_view key);
std::unique_ptr<scan::PackageFilter> PackageFilter();
QString BootFileName();
void AuditSharedDlls(scan::ScanSink& sink);
std::vector<cleanup::DeletionResult> DeleteItems(const std::vector<scan::JunkItem>& items,
                                                 const DeletionProgressFunction& progress,
                                                 const DeletionChoice& choice);

}  // namespace kelvo::ui::seams
