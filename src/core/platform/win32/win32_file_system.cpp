// Directories of the Windows file system through the wide API with "\\?\" paths: listed with
// FindFirstFileExW/FindNextFileW, examined through a handle opened on the entry itself, never
// following a reparse point (symbolic link, junction, mount point) below a scan root.
#include <windows.h>

#include "platform/file_system.h"
#include "platform/win32/long_path.h"
#include "platform/win32/win32_error.h"
#include "platform/win32/win32_handle.h"

namespace kelvo::platform {
namespace {

bool IsLinkTag(DWORD tag) {
  return tag == IO_REPARSE_TAG_SYMLINK || tag == IO_REPARSE_TAG_MOUNT_POINT;
}

// A folder carrying a reparse point is never entered, whatever its tag. A file is a link only for
// the link tags; other tags (deduplicated or cloud files) mark ordinary files.
EntryType TypeFromAttributes(DWORD attributes, DWORD reparseTag) {
  const bool reparse = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
  if (attributes & FILE_ATTRIBUTE_DIRECTORY)
    return reparse ? EntryType::kSymlink : EntryType::kDirectory;
  if (reparse && IsLinkTag(reparseTag)) return EntryType::kSymlink;
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
  DWORD tag = 0;
  if (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
    FILE_ATTRIBUTE_TAG_INFO tagInfo;
    tag = ::GetFileInformationByHandleEx(handle, FileAttributeTagInfo, &tagInfo, sizeof tagInfo)
              ? tagInfo.ReparseTag
              : IO_REPARSE_TAG_SYMLINK;  // unknown tag: treated as a link, the safe side
  }
  out.type = TypeFromAttributes(info.dwFileAttributes, tag);
  out.attributes = AttributeWord(info.dwFileAttributes);
  out.size = (static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
  out.device = info.dwVolumeSerialNumber;
  out.inode = (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
  return {};
}

// StatHandle for a handle opened without following, on the entry at path. Some file systems open
// the target of a link even when asked not to (Wine's host links); the attributes by path still
// show the reparse point, and a folder that carries one must never count as a folder.
std::error_code StatLinkAware(HANDLE handle, const NativeString& path, EntryStat& out) {
  if (std::error_code ec = StatHandle(handle, out)) return ec;
  if (out.type != EntryType::kDirectory) return {};
  const DWORD byPath = ::GetFileAttributesW(path.c_str());
  if (byPath != INVALID_FILE_ATTRIBUTES && (byPath & FILE_ATTRIBUTE_REPARSE_POINT)) {
    out.type = EntryType::kSymlink;
    out.attributes = AttributeWord(byPath);
  }
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
      const DWORD tag =
          (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) ? data.dwReserved0 : 0;
      out.Add(NativeStringView(data.cFileName), TypeFromAttributes(data.dwFileAttributes, tag),
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
    out.type = TypeFromAttributes(
        data.dwFileAttributes,
        (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) ? IO_REPARSE_TAG_SYMLINK : 0);
    out.attributes = AttributeWord(data.dwFileAttributes);
    out.size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    out.device = device_;
    out.inode = 0;
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
};

}  // namespace

FileSystem& NativeFileSystem() {
  static Win32FileSystem fs;
  return fs;
}

}  // namespace kelvo::platform
