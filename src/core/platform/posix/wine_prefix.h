// A Wine prefix: the folder holding a Windows system's registry files (system.reg, user.reg) and,
// through dosdevices/, its drives.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "platform/posix/wine_registry_file.h"
#include "platform/registry.h"

namespace kelvo::platform {

// A registry file is refused unread beyond this size (kRegFileTooLarge); real ones are a few MB.
inline constexpr std::uint64_t kLargestRegistryFile = 256ull << 20;

// $WINEPREFIX when set, else ~/.wine.
std::string DefaultWinePrefix();

// The path on this system of the file or folder that a Windows path (C:\windows\x.dll) names in a
// prefix: the drive letter through <prefix>/dosdevices/<letter>:, then each component by its exact
// name or, when there is none, by a name that differs only in case, as Wine matches them. Nothing
// when the path has no drive letter or a component is missing.
std::optional<std::string> MapWindowsPath(const std::string& prefix, std::string_view windowsPath);

// The length of the plain file a Windows path names in a prefix (symbolic links followed).
std::optional<std::uint64_t> WineFileSize(const std::string& prefix, std::string_view windowsPath);

// The registry of a prefix, read from its files. Each file is parsed when a key of its root is
// opened and kept until the file changes; an open key keeps the version it was opened in.
class WineRegistry final : public Registry {
 public:
  using Loader = std::function<std::shared_ptr<const wine::WineRegistryFile>(RegRoot, RegStatus&)>;

  // Reads the prefix that prefix() names at each open, so a changed $WINEPREFIX is followed.
  explicit WineRegistry(std::function<std::string()> prefix);
  // Reads whatever load gives (for tests: files parsed from memory).
  static std::unique_ptr<WineRegistry> WithLoader(Loader load);

  Result<RegKey, RegStatus> OpenKey(RegRoot root, NativeStringView subkey,
                                    std::uint32_t access) override;
  Result<RegEntry, RegStatus> ValueAt(RegKey key, std::uint32_t index) override;
  Result<RegEntry, RegStatus> Value(RegKey key, NativeStringView name) override;
  RegStatus CloseKey(RegKey key) override;

  std::size_t OpenKeyCount();

 private:
  struct OpenedKey {
    std::shared_ptr<const wine::WineRegistryFile> file;
    const wine::RegistryKeyRecord* record = nullptr;
    std::uint32_t access = 0;
  };
  struct CachedFile {
    std::string path;
    std::uint64_t device = 0, inode = 0, size = 0;
    std::int64_t modifiedNs = 0;
    std::shared_ptr<const wine::WineRegistryFile> file;
  };

  explicit WineRegistry(Loader load);
  std::shared_ptr<const wine::WineRegistryFile> LoadFromPrefix(
      const std::function<std::string()>& prefix, RegRoot root, RegStatus& status);
  bool Find(RegKey key, OpenedKey& out);

  Loader load_;
  std::mutex mutex_;
  std::unordered_map<std::uintptr_t, OpenedKey> open_;
  std::uintptr_t nextHandle_ = 1;
  CachedFile cache_[2];  // one per root
};

}  // namespace kelvo::platform
