// The registry service: open a key, enumerate and query its values, close it. Statuses are the
// platform's error codes (0 on success); value types are the registry's (1 REG_SZ, 2 REG_EXPAND_SZ,
// 3 REG_BINARY, 4 REG_DWORD, ...). Names are native text. On Windows this is the system registry;
// on POSIX the registry of the Wine prefix in $WINEPREFIX, else ~/.wine.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "platform/native_string.h"
#include "text/result.h"

namespace kelvo::platform {

using RegStatus = long;
inline constexpr RegStatus kRegSuccess = 0;
inline constexpr RegStatus kRegFileNotFound = 2;  // no such key or value
inline constexpr RegStatus kRegAccessDenied = 5;
inline constexpr RegStatus kRegInvalidHandle = 6;
inline constexpr RegStatus kRegInvalidData = 13;  // this entry cannot be read; others may follow
inline constexpr RegStatus kRegNotAFile = 222;    // the registry's file is not a plain file
inline constexpr RegStatus kRegFileTooLarge = 223;
inline constexpr RegStatus kRegMoreData = 234;     // a name or data does not fit its buffer
inline constexpr RegStatus kRegNoMoreItems = 259;  // the index is past the last value
inline constexpr RegStatus kRegCorrupt = 1009;     // the registry's store cannot be read

inline constexpr std::uint32_t kRegNone = 0;
inline constexpr std::uint32_t kRegSz = 1;
inline constexpr std::uint32_t kRegExpandSz = 2;
inline constexpr std::uint32_t kRegBinary = 3;
inline constexpr std::uint32_t kRegDword = 4;

// Access masks of an open.
inline constexpr std::uint32_t kKeyQueryValue = 0x0001;
inline constexpr std::uint32_t kKeyRead = 0x20019;

enum class RegRoot : std::uint8_t { kLocalMachine, kCurrentUser };

// An open key; the default value is no key.
struct RegKey {
  std::uintptr_t value = 0;
  explicit operator bool() const { return value != 0; }
};

// One value of a key, whole.
struct RegEntry {
  NativeString name;
  std::uint32_t type = kRegNone;
  std::vector<std::uint8_t> data;
};

// No registry holds larger values: a name of more UTF-16 units (with its terminating NUL) or more
// bytes of data is not read (kRegMoreData).
inline constexpr std::uint32_t kLargestValueName = 32768;
inline constexpr std::uint32_t kLargestValueData = 64u << 20;

// Texts of the statuses above, for messages.
std::string RegStatusText(RegStatus status);

class Registry {
 public:
  virtual ~Registry() = default;

  // Opens subkey (components separated by "\", "" for the root itself) under root.
  virtual Result<RegKey, RegStatus> OpenKey(RegRoot root, NativeStringView subkey,
                                            std::uint32_t access) = 0;

  // Value number index of an open key: its name, type and data, however large, up to the limits
  // above (beyond them kRegMoreData, and the next index goes on). An entry that cannot be read at
  // all: kRegInvalidData, and the next index goes on. Past the last value: kRegNoMoreItems.
  virtual Result<RegEntry, RegStatus> ValueAt(RegKey key, std::uint32_t index) = 0;

  // A named value of an open key ("" is the default value), whole, with the same limits.
  virtual Result<RegEntry, RegStatus> Value(RegKey key, NativeStringView name) = 0;

  [[nodiscard]] virtual RegStatus CloseKey(RegKey key) = 0;
};

// Closes a key when it goes out of scope.
class ScopedRegKey {
 public:
  ScopedRegKey(Registry& registry, RegKey key) : registry_(registry), key_(key) {}
  ~ScopedRegKey() {
    if (key_) std::ignore = registry_.CloseKey(key_);  // a read-only key: nothing to lose
  }
  ScopedRegKey(const ScopedRegKey&) = delete;
  ScopedRegKey& operator=(const ScopedRegKey&) = delete;
  RegKey get() const { return key_; }

 private:
  Registry& registry_;
  RegKey key_;
};

// The length of the file that a Windows path (such as C:\windows\system32\x.dll) names, or nothing
// when the path cannot be mapped, the file does not exist or is not a plain file.
using FileSizeLookup = std::function<std::optional<std::uint64_t>(NativeStringView windowsPath)>;

// The registry of this system, and the lengths of the files its paths name.
Registry& NativeRegistry();
std::optional<std::uint64_t> NativeWindowsFileSize(NativeStringView windowsPath);
// Where the file that a Windows path of the registry names can be deleted from: the folder of its
// drive, to be walked down from without following links, and the file's path below it. Nothing when
// the path cannot be mapped onto this system.
struct LocatedWindowsFile {
  NativeString root;  // ends with the separator
  NativeString path;
};
std::optional<LocatedWindowsFile> LocateWindowsFile(NativeStringView windowsPath);
// Where NativeRegistry() reads, for messages: "the Wine prefix /home/u/.wine", "the Windows
// registry".
std::string NativeRegistryDescription();

// Another Windows system whose registry can be read: on POSIX the Wine prefix in a folder. Where
// the platform cannot read one at that place, the reason why.
struct WindowsSystem {
  std::unique_ptr<Registry> registry;
  FileSizeLookup fileSize;
};
Result<WindowsSystem, std::string> OpenWindowsSystemAt(const NativeString& folder);

}  // namespace kelvo::platform
