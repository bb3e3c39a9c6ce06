#include "run_setup.h"

#include "row_writer.h"
#include "settings/settings_file.h"

namespace kelvo::cli {

prepare::RunChoices RunChoicesFor(const ScanOptions& options) {
  prepare::RunChoices choices;
  if (!options.noKeepList) choices.settingsPath = settings::SettingsFilePath();
  for (const std::string& pattern : options.keep)
    choices.keepPatterns.push_back(Utf8ToNative(pattern));
  choices.packageFilesKept = !options.includePackageFiles;
  choices.folderReaders = FolderReaders(options.threads);
  return choices;
}

}  // namespace kelvo::cli
