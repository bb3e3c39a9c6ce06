// Directories of the Windows file system through the wide API with "\\?\" paths: listed with
// FindFirstFileExW/FindNextFileW, examined through a handle opened on the entry itself, never
// following a reparse point (symbolic link, junction, mount point) below a scan root.
#include <windows.h>

#include "platform/file_system.h"
#include "platform/win32/file_time.h"
#include "platform/win32/long_path.h"
#include "platform/win32/reparse_check.h"
#include "platform/win32/win32_error.h"
#include "platform/win32/win32_handle.h"

namespace kelvo::platform {
namespace {

// Any entry carrying a reparse point (symbolic link, junction, mount point, but also cloud and
// deduplicated files) counts as a link: never entered, never taken for a plain file or folder.
EntryType TypeFromAttributes(DWORD attributes) {
  if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return EntryType::kSymlink;
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) return EntryType::kDirectory;
  if (attributes & FILE_ATTRIBUTE_DEVICE) return EntryType::kOther;
  return EntryType::kFile;
}

// Windows reports FILE_ATTRIBUTE_NORMAL for a file without attributes; keep that so such a file is
// never mistaken for a plain folder.
std::uint32_t AttributeWord(DWORD attributes) {
  return attributes == 0 ? FILE_ATTRIBUTE_NORMAL : attributes;
}

bool IsDotOrDotDot(const wchar_t* name) {
  return name[0] == L'.' && (name[1] == 0 || (name[1] == L'.' && name[2] == 0));
}

// Opens the entry itself: a reparse point is opened, not followed, unless follow is set (scan
// roots).
UniqueHandle OpenEntry(const NativeString& path, bool follow) {
  DWORD flags = FILE_FLAG_BACKUP_SEMANTICS;
  if (!follow) flags |= FILE_FLAG_OPEN_REPARSE_POINT;
  return UniqueHandle(::CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, flags, nullptr));
}

std::error_code StatHandle(HANDLE handle, EntryStat& out) {
  BY_HANDLE_FILE_INFORMATION info;
  if (!::GetFileInformationByHandle(handle, &info)) return LastWin32Error();
  out.type = TypeFromAttributes(info.dwFileAttributes);
  out.attributes = AttributeWord(info.dwFileAttributes);
  out.size = (static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
  out.links = info.nNumberOfLinks;
  FILE_STANDARD_INFO standard;
  out.allocated =
      ::GetFileInformationByHandleEx(handle, FileStandardInfo, &standard, sizeof standard)
          ? static_cast<std::uint64_t>(standard.AllocationSize.QuadPart)
          : out.size;
  out.device = info.dwVolumeSerialNumber;
  out.inode = (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
  out.modified = FileTimeNanoseconds(info.ftLastWriteTime);
  return {};
}

// StatHandle for a handle opened without following, on the entry at path: a link must never count
// as a folder (see reparse_check.h).
std::error_code StatLinkAware(HANDLE handle, const NativeString& path, EntryStat& out) {
  if (std::error_code ec = StatHandle(handle, out)) return ec;
  if (out.type != EntryType::kDirectory || !PathShowsReparsePoint(path)) return {};
  out.type = EntryType::kSymlink;
  out.attributes |= FILE_ATTRIBUTE_REPARSE_POINT;
  return {};
}

class Win32Directory final : public Directory {
 public:
  // path: the long form, ending with a separator.
  Win32Directory(NativeString path, std::uint64_t device, std::uint64_t inode)
      : path_(std::move(path)), device_(device), inode_(inode) {}

  std::error_code List(Listing& out) override {
    out.Clear();
    WIN32_FIND_DATAW data;
    const NativeString pattern = path_ + L"*";
    UniqueFind find(::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &data,
                                       FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH));
    if (!find) {
      const DWORD error = ::GetLastError();
      if (error == ERROR_FILE_NOT_FOUND) return {};  // a drive root without any entry
      return Win32Error(error);
    }
    do {
      if (IsDotOrDotDot(data.cFileName)) continue;
      out.Add(NativeStringView(data.cFileName), TypeFromAttributes(data.dwFileAttributes),
              AttributeWord(data.dwFileAttributes));
    } while (::FindNextFileW(find.get(), &data));
    const DWORD error = ::GetLastError();
    if (error != ERROR_NO_MORE_FILES) return Win32Error(error);
    return {};
  }

  std::error_code Stat(const NativeChar* name, EntryStat& out) override {
    const NativeString path = path_ + name;
    if (UniqueHandle handle = OpenEntry(path, /*follow=*/false))
      return StatLinkAware(handle.get(), path, out);
    const std::error_code openError = LastWin32Error();
    // Some files cannot be opened even for their attributes (the paging file, files locked
    // without sharing); the directory still tells their attributes and size.
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return openError;
    out.type = TypeFromAttributes(data.dwFileAttributes);
    out.attributes = AttributeWord(data.dwFileAttributes);
    out.size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    out.allocated = out.size;
    out.device = device_;
    out.inode = 0;
    out.modified = FileTimeNanoseconds(data.ftLastWriteTime);
    return {};
  }

  std::unique_ptr<Directory> OpenChild(const NativeChar* name, std::error_code& ec) override {
    return Open(path_ + name, /*follow=*/false, ec);
  }

  std::uint64_t Device() const override { return device_; }
  std::uint64_t Inode() const override { return inode_; }

  static std::unique_ptr<Directory> Open(NativeString path, bool follow, std::error_code& ec) {
    UniqueHandle handle = OpenEntry(path, follow);
    if (!handle) {
      ec = LastWin32Error();
      return nullptr;
    }
    EntryStat stat;
    if ((ec = follow ? StatHandle(handle.get(), stat) : StatLinkAware(handle.get(), path, stat)))
      return nullptr;
    if (stat.type == EntryType::kSymlink) {
      ec = std::make_error_code(std::errc::too_many_symbolic_link_levels);
      return nullptr;
    }
    if (stat.type != EntryType::kDirectory) {
      ec = std::make_error_code(std::errc::not_a_directory);
      return nullptr;
    }
    ec.clear();
    if (path.back() != L'\\') path.push_back(L'\\');
    return std::make_unique<Win32Directory>(std::move(path), stat.device, stat.inode);
  }

 private:
  NativeString path_;
  std::uint64_t device_;
  std::uint64_t inode_;
};

class Win32FileSystem final : public FileSystem {
 public:
  std::unique_ptr<Directory> OpenDirectory(const NativeString& path, std::error_code& ec) override {
    NativeString longPath = ToLongPath(path, ec);
    if (ec) return nullptr;
    return Win32Directory::Open(std::move(longPath), /*follow=*/true, ec);
  }

  // The final path of the folder's handle: links, junctions, "." and ".." resolved by the system.
  std::error_code ResolveRoot(NativeStringView root, NativeString& canonical) override {
    std::error_code ec;
    const NativeString longPath = ToLongPath(NativeString(root), ec);
    if (ec) return ec;
    UniqueHandle handle = OpenEntry(longPath, /*follow=*/true);
    if (!handle) return LastWin32Error();
    EntryStat stat;
    if ((ec = StatHandle(handle.get(), stat))) return ec;
    if (stat.type != EntryType::kDirectory) return std::make_error_code(std::errc::not_a_directory);
    NativeString resolved(MAX_PATH, L'\0');
    for (;;) {
      const DWORD n = ::GetFinalPathNameByHandleW(handle.get(), resolved.data(),
                                                  static_cast<DWORD>(resolved.size()),
                                                  FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
      if (n == 0) return LastWin32Error();
      if (n < resolved.size()) {
        resolved.resize(n);
        break;
      }
      resolved.resize(n);
    }
    // Back to the form users write: "\\?\UNC\server\share" as "\\server\share", "\\?\C:" as "C:".
    if (resolved.rfind(L"\\\\?\\UNC\\", 0) == 0)
      resolved.replace(0, 8, L"\\\\");
    else if (resolved.rfind(L"\\\\?\\", 0) == 0)
      resolved.erase(0, 4);
    if (resolved.empty() || resolved.back() != L'\\') resolved.push_back(L'\\');
    canonical = std::move(resolved);
    return {};
  }
};

}  // namespace

FileSystem& NativeFileSystem() {
  static Win32FileSystem fs;
  return fs;
}

}  // namespace kelvo::platform
