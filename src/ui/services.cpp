#include "services.h"

#include <cstdlib>
#include <sstream>
#include <string>

#include "platform/disk_space.h"
#include "service_seams.h"

namespace kelvo::ui {

Services DefaultServices() {
  Services s;
  s.installComponents = seams::InstallComponents;
  // Chosen once (KELVO_SETTINGS_FILE is honoured there), so the window keeps one file all along.
  s.settingsPath = [path = seams::SettingsFilePath()] { return path; };
  s.readTipsSwitch = seams::ReadTipsSwitch;
  s.writeIniValue = seams::WriteIniValue;
  s.readIniValue = seams::ReadIniValue;
  s.readKeepList = settings::ReadKeepList;
  s.writeKeepList = settings::WriteKeepList;
  s.writeBootCleanup = seams::WriteBootCleanup;
  s.bootFileName = seams::BootFileName;
  s.bootCleanupDoneBy = seams::BootCleanupDoneBy;
  s.packageFilter = seams::PackageFilter;
  if (const char* env = std::getenv("KELVO_DRIVES"); env && *env) {
    // Folders ("/a/:/b/") shown as the disks, for screenshots of a scan that touches no real disk.
    std::vector<platform::Drive> drives;
    std::istringstream list(env);
    for (std::string folder; std::getline(list, folder, ':');)
      if (!folder.empty()) drives.push_back({Utf8ToNative(folder), Utf8ToNative(folder)});
    s.listDrives = [drives] { return drives; };
  } else {
    s.listDrives = platform::ListFixedDrives;
  }
  s.fileSystem = &platform::NativeFileSystem();
  s.audit = seams::AuditSharedDlls;
  s.deleteItems = seams::DeleteItems;
  s.freeSpace = [](const NativeString& folder) -> std::optional<std::uint64_t> {
    std::uint64_t bytes = 0;
    if (platform::FreeDiskSpace(folder, bytes)) return std::nullopt;
    return bytes;
  };
  return s;
}

}  // namespace kelvo::ui
