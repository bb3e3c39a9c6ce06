// The registry of this system on Windows, through the registry's wide-character functions, and the
// lengths of files by their paths.
#include <windows.h>

#include <algorithm>
#include <vector>

#include "platform/registry.h"

namespace kelvo::platform {
namespace {

HKEY RootHandle(RegRoot root) {
  return root == RegRoot::kLocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

HKEY ToHkey(RegKey key) {
  return reinterpret_cast<HKEY>(key.value);
}

// The buffers start as most values need and grow up to the largest any registry allows.
constexpr DWORD kFirstNameCapacity = 256;
constexpr DWORD kFirstDataCapacity = 256;
// A changing value may grow between the size query and the data query: a few tries.
constexpr int kDataTries = 4;

class Win32Registry final : public Registry {
 public:
  Result<RegKey, RegStatus> OpenKey(RegRoot root, NativeStringView subkey,
                                    std::uint32_t access) override {
    const std::wstring path(subkey);
    if (path.find(L'\0') != std::wstring::npos) return Unexpected<RegStatus>{kRegFileNotFound};
    HKEY handle = nullptr;
    const LONG status =
        ::RegOpenKeyExW(RootHandle(root), path.c_str(), 0, static_cast<REGSAM>(access), &handle);
    if (status != ERROR_SUCCESS) return Unexpected<RegStatus>{status};
    return RegKey{reinterpret_cast<std::uintptr_t>(handle)};
  }

  Result<RegEntry, RegStatus> ValueAt(RegKey key, std::uint32_t index) override {
    if (!key) return Unexpected<RegStatus>{kRegInvalidHandle};
    DWORD nameCapacity = kFirstNameCapacity;
    DWORD dataCapacity = kFirstDataCapacity;
    for (;;) {
      // Never a null data buffer: with one the call would report the size and succeed, where a
      // value that does not fit must give ERROR_MORE_DATA.
      std::vector<wchar_t> name(nameCapacity);
      std::vector<std::uint8_t> data(dataCapacity);
      DWORD nameLength = nameCapacity;
      DWORD dataSize = dataCapacity;
      DWORD type = REG_NONE;
      const LONG status = ::RegEnumValueW(ToHkey(key), index, name.data(), &nameLength, nullptr,
                                          &type, data.data(), &dataSize);
      if (status == ERROR_MORE_DATA) {
        // The same entry again, with larger buffers, as long as they may grow.
        const DWORD required = dataSize > dataCapacity ? dataSize : 0;
        const DWORD grownName = std::min<DWORD>(nameCapacity * 2, kLargestValueName);
        const DWORD grownData =
            std::min<DWORD>(std::max<DWORD>(dataCapacity * 2, required), kLargestValueData);
        if (grownName == nameCapacity && grownData == dataCapacity)
          return Unexpected<RegStatus>{kRegMoreData};
        nameCapacity = grownName;
        dataCapacity = grownData;
        continue;
      }
      if (status != ERROR_SUCCESS) return Unexpected<RegStatus>{status};
      RegEntry entry;
      entry.name.assign(name.data(), std::min(nameLength, nameCapacity));
      entry.type = type;
      entry.data.assign(data.begin(), data.begin() + std::min(dataSize, dataCapacity));
      return entry;
    }
  }

  Result<RegEntry, RegStatus> Value(RegKey key, NativeStringView name) override {
    if (!key) return Unexpected<RegStatus>{kRegInvalidHandle};
    RegEntry entry;
    entry.name.assign(name);
    DWORD type = REG_NONE;
    DWORD size = 0;
    LONG status =
        ::RegQueryValueExW(ToHkey(key), entry.name.c_str(), nullptr, &type, nullptr, &size);
    if (status != ERROR_SUCCESS) return Unexpected<RegStatus>{status};
    for (int attempt = 0; attempt < kDataTries; ++attempt) {
      if (size > kLargestValueData) return Unexpected<RegStatus>{kRegMoreData};
      entry.data.assign(std::max<DWORD>(size, 1), 0);
      size = static_cast<DWORD>(entry.data.size());
      status = ::RegQueryValueExW(ToHkey(key), entry.name.c_str(), nullptr, &type,
                                  entry.data.data(), &size);
      if (status != ERROR_MORE_DATA) break;
    }
    if (status != ERROR_SUCCESS) return Unexpected<RegStatus>{status};
    entry.data.resize(std::min<std::size_t>(size, entry.data.size()));
    entry.type = type;
    return entry;
  }

  RegStatus CloseKey(RegKey key) override {
    if (!key) return kRegInvalidHandle;
    return ::RegCloseKey(ToHkey(key));
  }
};

bool IsDrivePath(const std::wstring& path) {
  return path.size() >= 3 && path[1] == L':' && (path[2] == L'\\' || path[2] == L'/');
}

}  // namespace

Registry& NativeRegistry() {
  static Win32Registry registry;
  return registry;
}

std::optional<LocatedWindowsFile> LocateWindowsFile(NativeStringView windowsPath) {
  std::wstring path(windowsPath);
  if (!IsDrivePath(path) || path.size() < 4 || path[2] != L'\\') return std::nullopt;
  return LocatedWindowsFile{path.substr(0, 3), path};
}

std::optional<std::uint64_t> NativeWindowsFileSize(NativeStringView windowsPath) {
  std::wstring path(windowsPath);
  if (path.empty() || path.find(L'\0') != std::wstring::npos) return std::nullopt;
  WIN32_FILE_ATTRIBUTE_DATA data{};
  BOOL ok = ::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data);
  if (!ok && path.size() >= MAX_PATH && IsDrivePath(path)) {
    // Too long for the plain form: the same path without the length limit.
    std::wstring longPath = L"\\\\?\\" + path;
    std::replace(longPath.begin(), longPath.end(), L'/', L'\\');
    ok = ::GetFileAttributesExW(longPath.c_str(), GetFileExInfoStandard, &data);
  }
  if (!ok || (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) return std::nullopt;
  return (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

std::string NativeRegistryDescription() {
  return "the Windows registry";
}

Result<WindowsSystem, std::string> OpenWindowsSystemAt(const NativeString& /*folder*/) {
  return Unexpected<std::string>{
      "a Wine prefix can only be read on Linux; on Windows the system's own registry is read"};
}

}  // namespace kelvo::platform
