// Removal on Windows. Every folder from the root down to the entry's parent is opened in turn with
// FILE_FLAG_OPEN_REPARSE_POINT, refused when it is a reparse point (junction, symbolic link, mount
// point) or on another volume, and kept open without FILE_SHARE_DELETE, so that nobody can rename
// or replace it until the entry is gone. The entry is then opened itself (never following a reparse
// point), compared with what the scan saw, freed of its read-only attribute and deleted through
// that very handle, so the check and the delete concern the same file; when the delete fails the
// attributes are put back. Paths go through the "\\?\" form, so they may be longer than MAX_PATH.
//
// The identity compared is the one the scan records on Windows: device = volume serial number,
// inode = the 64-bit file index, type kSymlink for any reparse point.
#include <windows.h>

#include <string>
#include <vector>

#include "platform/entry_removal.h"
#include "platform/win32/file_time.h"
#include "platform/win32/reparse_check.h"
#include "platform/win32/win32_error.h"
#include "platform/win32/win32_handle.h"
#include "platform/win32/win32_recycle_bin.h"

namespace kelvo::platform {
namespace {

RemovalReport Report(RemovalStatus status, DWORD e = 0) {
  RemovalReport r;
  r.status = status;
  if (e != 0) r.error = Win32Error(e);
  return r;
}

RemovalReport ReportError(DWORD e) {
  switch (e) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
      return Report(RemovalStatus::kGone);
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
      return Report(RemovalStatus::kPermissionDenied, e);
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_USER_MAPPED_FILE:
      return Report(RemovalStatus::kInUse, e);
    case ERROR_DIR_NOT_EMPTY:
      return Report(RemovalStatus::kNotEmpty, e);
    default:
      return Report(RemovalStatus::kFailed, e);
  }
}

RemovalReport NotBelowRoot() {
  RemovalReport r;
  r.error = std::make_error_code(std::errc::invalid_argument);
  return r;
}

// "\\?\" form of a full path: no MAX_PATH limit, no reinterpretation of the name.
std::wstring LongPath(const std::wstring& path) {
  if (path.rfind(L"\\\\?\\", 0) == 0) return path;
  if (path.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + path.substr(2);
  return L"\\\\?\\" + path;
}

// The top of the volume a path lies on: "C:\" or "\\server\share\"; empty when there is none.
std::wstring VolumeTop(const std::wstring& path) {
  if (path.size() >= 3 && path[1] == L':' && path[2] == L'\\') return path.substr(0, 3);
  if (path.rfind(L"\\\\", 0) == 0 && path.rfind(L"\\\\?\\", 0) != 0) {
    const std::size_t server = path.find(L'\\', 2);
    if (server == std::wstring::npos) return {};
    const std::size_t share = path.find(L'\\', server + 1);
    if (share == std::wstring::npos || share == server + 1) return {};
    return path.substr(0, share + 1);
  }
  return {};
}

// The components of path below root; false when path is not under root or holds an empty, "." or
// ".." component, which the "\\?\" form would not resolve but could still lead astray.
bool SplitBelowRoot(const std::wstring& path, const std::wstring& root,
                    std::vector<std::wstring>& out) {
  if (path.size() <= root.size() || path.compare(0, root.size(), root) != 0) return false;
  std::wstring rest = path.substr(root.size());
  while (!rest.empty() && rest.back() == L'\\') rest.pop_back();
  out.clear();
  std::size_t start = 0;
  while (start <= rest.size() && !rest.empty()) {
    const std::size_t sep = rest.find(L'\\', start);
    std::wstring part =
        rest.substr(start, sep == std::wstring::npos ? std::wstring::npos : sep - start);
    if (part.empty() || part == L"." || part == L"..") return false;
    out.push_back(std::move(part));
    if (sep == std::wstring::npos) break;
    start = sep + 1;
  }
  return !out.empty();
}

std::uint64_t FileIndex(const BY_HANDLE_FILE_INFORMATION& info) {
  return (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
}

EntryType TypeOf(DWORD attributes) {
  if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return EntryType::kSymlink;
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) return EntryType::kDirectory;
  return EntryType::kFile;
}

constexpr DWORD kSettableAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                      FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                                      FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_OFFLINE |
                                      FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

// Sets the attribute word of an open entry, leaving its times alone (0 means "unchanged").
bool SetAttributes(HANDLE h, DWORD attributes) {
  FILE_BASIC_INFO basic{};
  attributes &= kSettableAttributes;
  basic.FileAttributes = attributes == 0 ? FILE_ATTRIBUTE_NORMAL : attributes;
  return ::SetFileInformationByHandle(h, FileBasicInfo, &basic, sizeof basic) != FALSE;
}

// Listing access makes the share mode count: a handle with attribute access alone takes part in no
// sharing check and would not keep the folder from being renamed.
constexpr DWORD kPinAccess = FILE_LIST_DIRECTORY | FILE_TRAVERSE | FILE_READ_ATTRIBUTES;

class Win32EntryRemover final : public EntryRemover {
 public:
  explicit Win32EntryRemover(Disposal disposal) : disposal_(disposal) {}

  RemovalReport Remove(const RemovalTarget& target) override {
    std::wstring path(target.path);
    for (wchar_t& c : path)
      if (c == L'/') c = L'\\';
    const bool rootKnown = !target.root.empty();
    std::wstring root = rootKnown ? std::wstring(target.root) : VolumeTop(path);
    for (wchar_t& c : root)
      if (c == L'/') c = L'\\';
    if (root.empty()) return NotBelowRoot();
    if (root.back() != L'\\') root.push_back(L'\\');
    std::vector<std::wstring> parts;
    if (!SplitBelowRoot(path, root, parts)) return NotBelowRoot();
    const std::wstring name = std::move(parts.back());
    parts.pop_back();

    std::wstring parentPath = root;
    for (const std::wstring& p : parts) (parentPath += p) += L'\\';
    if (chain_.empty() || cachedRoot_ != root || cachedRootKnown_ != rootKnown) {
      ReleaseChain();
      cachedRoot_ = root;
      cachedRootKnown_ = rootKnown;
    }
    // Only the folders where this path differs from the last one are opened; an empty folder
    // row's own folder, held as a parent of an earlier row, is let go here.
    RemovalReport failure;
    if (!PinChain(root, rootKnown, parts, failure)) {
      ReleaseChain();
      return failure;
    }
    if (target.guard)
      for (const FolderId& id : ids_)
        if (target.guard->Keeps(id.volume, id.index)) return Report(RemovalStatus::kKept);
    return RemoveEntry(parentPath + name, target, rootKnown);
  }

  std::uint64_t FoldersOpened() const override { return opened_; }

 private:
  struct FolderId {
    std::uint64_t volume = 0;
    std::uint64_t index = 0;
  };

  void ReleaseChain() {
    chain_.clear();
    pinned_.clear();
    ids_.clear();
  }

  // Holds the root and every folder below it down to the parent, keeping those already held.
  bool PinChain(const std::wstring& root, bool rootKnown, const std::vector<std::wstring>& parts,
                RemovalReport& failure) {
    if (!chain_.empty()) {
      std::size_t keep = 0;
      while (keep < parts.size() && keep < pinned_.size() && pinned_[keep] == parts[keep]) ++keep;
      chain_.resize(keep + 1);
      pinned_.resize(keep);
      ids_.resize(keep + 1);
      std::wstring path = root;
      for (std::size_t i = 0; i < keep; ++i) (path += parts[i]) += L'\\';
      return PinBelow(path, rootKnown, parts, failure);
    }
    // The root is opened as the scan opened it: the user named it, reparse points included.
    ++opened_;
    UniqueHandle top(::CreateFileW(LongPath(root).c_str(), kPinAccess,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                   FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!top) {
      failure = ReportError(::GetLastError());
      return false;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(top.get(), &info)) {
      failure = ReportError(::GetLastError());
      return false;
    }
    rootVolume_ = info.dwVolumeSerialNumber;
    chain_.push_back(std::move(top));
    ids_.push_back({info.dwVolumeSerialNumber, FileIndex(info)});
    return PinBelow(root, rootKnown, parts, failure);
  }

  // Opens the folders of parts from the first one not held yet; path is the last one held.
  bool PinBelow(std::wstring path, bool rootKnown, const std::vector<std::wstring>& parts,
                RemovalReport& failure) {
    BY_HANDLE_FILE_INFORMATION info{};
    for (std::size_t i = pinned_.size(); i < parts.size(); ++i) {
      const std::wstring& part = parts[i];
      path += part;
      ++opened_;
      UniqueHandle dir(::CreateFileW(
          LongPath(path).c_str(), kPinAccess, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
          OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
      if (!dir) {
        failure = ReportError(::GetLastError());
        return false;
      }
      if (!::GetFileInformationByHandle(dir.get(), &info)) {
        failure = ReportError(::GetLastError());
        return false;
      }
      if ((info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) ||
          PathShowsReparsePoint(LongPath(path))) {
        failure = Report(RemovalStatus::kLinkInPath);
        return false;
      }
      if (!(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        failure = Report(RemovalStatus::kGone);  // a file where the folder was
        return false;
      }
      if (rootKnown && info.dwVolumeSerialNumber != rootVolume_) {
        failure = Report(RemovalStatus::kOtherFileSystem);
        return false;
      }
      chain_.push_back(std::move(dir));
      pinned_.push_back(part);
      ids_.push_back({info.dwVolumeSerialNumber, FileIndex(info)});
      path += L'\\';
    }
    return true;
  }

  RemovalReport RemoveEntry(const std::wstring& path, const RemovalTarget& target, bool rootKnown) {
    UniqueHandle entry(::CreateFileW(
        LongPath(path).c_str(), DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES,
        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
        FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!entry) return ReportError(::GetLastError());
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(entry.get(), &info)) return ReportError(::GetLastError());
    const EntryType type = TypeOf(info.dwFileAttributes);
    if (type != EntryType::kSymlink && PathShowsReparsePoint(LongPath(path))) {
      // The handle reached the link's target: deleting through it would leave the tree.
      RemovalReport r;
      r.error = std::make_error_code(std::errc::operation_not_supported);
      return r;
    }
    const bool folder = type == EntryType::kDirectory;
    const std::uint64_t size =
        (static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    if (const auto& want = target.expected) {
      if (info.dwVolumeSerialNumber != want->device || FileIndex(info) != want->inode ||
          (want->type != EntryType::kUnknown && want->type != type) ||
          (!folder && want->modified &&
           *want->modified != FileTimeNanoseconds(info.ftLastWriteTime)))
        return Report(RemovalStatus::kChanged);
    }
    if (!folder && target.size && *target.size != size) return Report(RemovalStatus::kChanged);
    if (type == EntryType::kDirectory && !target.emptyFolder)
      return Report(RemovalStatus::kIsDirectory);
    if (type != EntryType::kDirectory && target.emptyFolder) return Report(RemovalStatus::kChanged);
    if (rootKnown && info.dwVolumeSerialNumber != rootVolume_)
      return Report(RemovalStatus::kOtherFileSystem);
    if (folder && target.guard && target.guard->Keeps(info.dwVolumeSerialNumber, FileIndex(info)))
      return Report(RemovalStatus::kKept);
    if (disposal_ == Disposal::kCheck) {
      RemovalReport would = folder ? CheckEmpty(path) : Report(RemovalStatus::kRemoved);
      if (!folder) would.bytes = size;
      return would;
    }

    // A folder is never recycled: the move would take along whatever it holds by then.
    if (disposal_ == Disposal::kTrash && !folder) {
      // Checked through the handle, which stays open (sharing delete) while the shell moves it.
      RemovalReport r = MoveToRecycleBin(path);
      if (r.status == RemovalStatus::kRemoved && !folder) r.bytes = size;
      return r;
    }
    const DWORD attributes = info.dwFileAttributes;
    const bool readOnly = (attributes & FILE_ATTRIBUTE_READONLY) != 0;
    if (readOnly && !SetAttributes(entry.get(), attributes & ~DWORD{FILE_ATTRIBUTE_READONLY}))
      return ReportError(::GetLastError());
    // What DeleteFileW and RemoveDirectoryW do, bound to the handle that was checked; a folder
    // that is not empty is refused here.
    FILE_DISPOSITION_INFO disposition{TRUE};  // its one member's name is shadowed by a macro
    if (!::SetFileInformationByHandle(entry.get(), FileDispositionInfo, &disposition,
                                      sizeof disposition)) {
      const DWORD e = ::GetLastError();
      if (readOnly) SetAttributes(entry.get(), attributes);
      return ReportError(e);
    }
    entry.reset();  // the entry goes when the last handle to it is closed
    RemovalReport done = Report(RemovalStatus::kRemoved);
    if (!folder) done.bytes = size;
    return done;
  }

  // What removing the folder would meet: anything in it makes it not empty.
  static RemovalReport CheckEmpty(const std::wstring& path) {
    WIN32_FIND_DATAW found{};
    HANDLE search = ::FindFirstFileExW(LongPath(path + L"\\*").c_str(), FindExInfoBasic, &found,
                                       FindExSearchNameMatch, nullptr, 0);
    if (search == INVALID_HANDLE_VALUE) return ReportError(::GetLastError());
    bool empty = true;
    do {
      const std::wstring_view n = found.cFileName;
      if (n != L"." && n != L"..") empty = false;
    } while (empty && ::FindNextFileW(search, &found));
    ::FindClose(search);
    return Report(empty ? RemovalStatus::kRemoved : RemovalStatus::kNotEmpty);
  }

  Disposal disposal_;
  std::vector<FolderId> ids_;        // the identity of each folder of chain_
  std::vector<UniqueHandle> chain_;  // the root, then one per name in pinned_
  std::vector<std::wstring> pinned_;
  std::uint64_t opened_ = 0;
  std::wstring cachedRoot_;
  bool cachedRootKnown_ = false;
  DWORD rootVolume_ = 0;
};

}  // namespace

std::unique_ptr<EntryRemover> MakeNativeEntryRemover(Disposal disposal) {
  return std::make_unique<Win32EntryRemover>(disposal);
}

}  // namespace kelvo::platform
