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

class Win32Registry final : public Registry {
 public:
  RegStatus OpenKey(RegRoot root, NativeStringView subkey, std::uint32_t access,
                    RegKey& out) override {
    out = {};
    const std::wstring path(subkey);
    if (path.find(L'\0') != std::wstring::npos) return kRegFileNotFound;
    HKEY handle = nullptr;
    const LONG status =
        ::RegOpenKeyExW(RootHandle(root), path.c_str(), 0, static_cast<REGSAM>(access), &handle);
    if (status == ERROR_SUCCESS) out.value = reinterpret_cast<std::uintptr_t>(handle);
    return status;
  }

  RegStatus EnumValue(RegKey key, std::uint32_t index, std::uint32_t nameCapacity,
                      std::uint32_t dataCapacity, EnumeratedValue& out) override {
    if (!key) return kRegInvalidHandle;
    // Never a null data buffer: with one the call would report the size and succeed, where a
    // value that does not fit must give ERROR_MORE_DATA.
    std::vector<wchar_t> name(std::max<std::uint32_t>(nameCapacity, 1));
    std::vector<std::uint8_t> data(std::max<std::uint32_t>(dataCapacity, 1));
    DWORD nameLength = nameCapacity;
    DWORD dataSize = dataCapacity;
    DWORD type = REG_NONE;
    const LONG status = ::RegEnumValueW(ToHkey(key), index, name.data(), &nameLength, nullptr,
                                        &type, data.data(), &dataSize);
    if (status == ERROR_MORE_DATA) {
      out.requiredDataSize = dataSize > dataCapacity ? dataSize : 0;
      return status;
    }
    if (status != ERROR_SUCCESS) return status;
    out.name.assign(name.data(), std::min<DWORD>(nameLength, nameCapacity));
    out.type = type;
    out.data.assign(data.begin(), data.begin() + std::min<DWORD>(dataSize, dataCapacity));
    out.requiredDataSize = dataSize;
    return ERROR_SUCCESS;
  }

  RegStatus QueryValue(RegKey key, NativeStringView name, std::uint32_t& type,
                       std::span<std::uint8_t> buffer, std::uint32_t& size) override {
    if (!key) return kRegInvalidHandle;
    const std::wstring valueName(name);
    DWORD valueType = REG_NONE;
    DWORD valueSize = static_cast<DWORD>(buffer.size());
    const LONG status = ::RegQueryValueExW(ToHkey(key), valueName.c_str(), nullptr, &valueType,
                                           buffer.empty() ? nullptr : buffer.data(), &valueSize);
    type = valueType;
    size = valueSize;
    return status;
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

std::optional<WindowsSystem> OpenWindowsSystemAt(const NativeString& /*folder*/, std::string& why) {
  why = "a Wine prefix can only be read on Linux; on Windows the system's own registry is read";
  return std::nullopt;
}

}  // namespace kelvo::platform
