#include "service_seams.h"

#include <QtGlobal>

#include "cleanup/deletion.h"
#include "components/shared_dll_audit.h"
#include "deletion_words.h"
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

void AuditSharedDlls(scan::ScanControls& controls) {
  const components::AuditSummary summary = components::AuditSharedDlls(
      controls, platform::NativeRegistry(), platform::NativeWindowsFileSize);
  // The rows show what could be read; a table read only in part must not pass for the whole one.
  if (summary.openStatus != platform::kRegSuccess) {
    qWarning("shared-DLL table not read: %s", platform::RegStatusText(summary.openStatus).c_str());
  } else if (summary.endStatus != platform::kRegNoMoreItems || summary.unreadable) {
    qWarning("shared-DLL table incomplete: %zu of %zu entries unreadable, reading ended with: %s",
             summary.unreadable, summary.examined,
             platform::RegStatusText(summary.endStatus).c_str());
  }
}

std::vector<RowDeletion> DeleteItems(const std::vector<scan::JunkItem>& items,
                                     const DeletionProgressFunction& progress) {
  std::vector<cleanup::DeletionRequest> requests;
  requests.reserve(items.size());
  for (const auto& item : items) requests.push_back(cleanup::RequestFor(item));
  const std::vector<cleanup::DeletionResult> results = cleanup::DeleteItems(requests, progress);
  std::vector<RowDeletion> out(items.size());
  for (std::size_t i = 0; i < out.size() && i < results.size(); ++i) {
    switch (results[i].outcome) {
      case cleanup::DeletionOutcome::kDeleted:
        out[i].outcome = RowDeletion::Outcome::kDeleted;
        break;
      case cleanup::DeletionOutcome::kAlreadyGone:
        out[i].outcome = RowDeletion::Outcome::kAlreadyGone;
        break;
      case cleanup::DeletionOutcome::kFailed:
        out[i].outcome = RowDeletion::Outcome::kFailed;
        out[i].reason = DeletionFailureWords(results[i]);
        break;
    }
    out[i].bytes = results[i].bytes;
  }
  // A row without a result keeps its file's row in the list.
  for (std::size_t i = results.size(); i < out.size(); ++i)
    out[i].reason = DeletionInterruptedWords();
  return out;
}

}  // namespace kelvo::ui::seams
