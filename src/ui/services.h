// The services the window calls outside itself, gathered so that tests can replace them: component
// setup, the settings file, the boot-time cleanup, the drive list, the file system, the shared-DLL
// audit and the deletion of files.
#pragma once

#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string_view>
#include <system_error>
#include <vector>

#include "cleanup/deletion.h"
#include "platform/drives.h"
#include "platform/file_system.h"
#include "scan/driver.h"
#include "scan/junk_item.h"
#include "scan/keep_list.h"
#include "scan/package_filter.h"
#include "settings/keep_list_file.h"

namespace kelvo::ui {

// How the rows go: deleted or moved into the trash, and the keep-list checked again for each.
struct DeletionChoice {
  bool toTrash = false;
  std::shared_ptr<const scan::KeepList> keep;  // the window's list, besides the stored one
  NativeString settingsPath;                   // the stored keep-list, read again at every row
  bool packageFilesKept = true;
  std::function<std::unique_ptr<scan::PackageFilter>()> packageFilter;  // unset: none looked for
};

// Called after every file; false stops the deletion there.
using DeletionProgressFunction = std::function<bool(std::size_t done, std::size_t total)>;
// Deletes the items' files, in order: one result per item tried, up to where progress said stop.
// Runs on a worker thread.
using DeleteFunction = std::function<std::vector<cleanup::DeletionResult>(
    const std::vector<scan::JunkItem>& items, const DeletionProgressFunction& progress,
    const DeletionChoice& choice)>;

// The free bytes of the disk that holds a folder; nothing when they cannot be read. Called on the
// deletion's worker.
using FreeSpaceFunction = std::function<std::optional<std::uint64_t>(const NativeString& folder)>;

struct Services {
  std::function<void()> installComponents;
  std::function<NativeString()> settingsPath;
  std::function<std::int16_t(const NativeString& path)> readTipsSwitch;
  // One value of the settings file, "" when it is not there (nullptr: nothing is read back).
  std::function<std::string(const NativeString& path, std::string_view section,
                            std::string_view key)>
      readIniValue;
  std::function<std::error_code(const NativeString& path, std::string_view section,
                                std::string_view key, std::string_view value)>
      writeIniValue;
  // The keep-list section of the settings file, or why the file could not be read.
  std::function<Result<std::vector<settings::KeepEntry>, std::error_code>(const NativeString& path)>
      readKeepList;
  std::function<std::error_code(const NativeString& path,
                                const std::vector<settings::KeepEntry>& entries)>
      writeKeepList;
  std::function<std::error_code()> writeBootCleanup;
  std::function<QString()> bootFileName;  // the boot file, for messages
  // The system's own rule that already empties the temporary folder at boot, or empty.
  std::function<QString()> bootCleanupDoneBy;
  // Loads the installed packages' file lists in the background for one scan (nullptr: none).
  std::function<std::unique_ptr<scan::PackageFilter>()> packageFilter;
  std::function<std::vector<platform::Drive>()> listDrives;
  platform::FileSystem* fileSystem = nullptr;
  scan::AuditFunction audit;
  DeleteFunction deleteItems;
  FreeSpaceFunction freeSpace;  // nullptr: what a deletion freed is not measured
};

// The real services. KELVO_SETTINGS_FILE, when set, names the settings file instead of the one
// beside the program (for both programs, see settings::SettingsFilePath), and KELVO_DRIVES
// ("/a/:/b/") the folders offered as disks (for tests and screenshots).
Services DefaultServices();

}  // namespace kelvo::ui
