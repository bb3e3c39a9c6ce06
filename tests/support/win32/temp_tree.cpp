#include "support/temp_tree.h"

#include <windows.h>

#include <winioctl.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <vector>

#include "support/run_process.h"

namespace kelvo::testing {
namespace {

NativeString Environment(const wchar_t* name) {
  wchar_t buffer[32768];
  const DWORD n = ::GetEnvironmentVariableW(name, buffer, 32768);
  return (n > 0 && n < 32768) ? NativeString(buffer, n) : NativeString();
}

NativeString ScratchBase() {
  NativeString base = Environment(L"LOCALAPPDATA");
  if (base.empty()) {
    wchar_t temp[MAX_PATH + 1];
    const DWORD n = ::GetTempPathW(MAX_PATH + 1, temp);
    base.assign(temp, n);
    while (!base.empty() && base.back() == L'\\') base.pop_back();
    base = base.substr(0, base.rfind(L'\\'));
  }
  if (base.empty() || base.back() != L'\\') base.push_back(L'\\');
  return base;
}

void Check(bool ok, const char* what, const NativeString& path) {
  if (!ok)
    throw std::runtime_error(std::string(what) + " failed for " + NativeToUtf8(path) + ": error " +
                             std::to_string(::GetLastError()));
}

// The reparse data of a junction (mount point), laid out as the file system expects it.
struct MountPointData {
  DWORD tag;
  WORD dataLength;
  WORD reserved;
  WORD substituteOffset;
  WORD substituteLength;
  WORD printOffset;
  WORD printLength;
  wchar_t names[2048];
};

bool MakeJunction(const NativeString& target, const NativeString& link) {
  if (!::CreateDirectoryW(LongForm(link).c_str(), nullptr)) return false;
  HANDLE h = ::CreateFileW(LongForm(link).c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                           FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  bool ok = false;
  if (h != INVALID_HANDLE_VALUE) {
    const NativeString substitute = L"\\??\\" + target;
    MountPointData data{};
    data.tag = IO_REPARSE_TAG_MOUNT_POINT;
    data.substituteLength = static_cast<WORD>(substitute.size() * sizeof(wchar_t));
    data.printOffset = static_cast<WORD>(data.substituteLength + sizeof(wchar_t));
    data.printLength = static_cast<WORD>(target.size() * sizeof(wchar_t));
    std::memcpy(data.names, substitute.c_str(), (substitute.size() + 1) * sizeof(wchar_t));
    std::memcpy(data.names + substitute.size() + 1, target.c_str(),
                (target.size() + 1) * sizeof(wchar_t));
    data.dataLength = static_cast<WORD>(8 + data.printOffset + data.printLength + sizeof(wchar_t));
    DWORD returned = 0;
    ok = ::DeviceIoControl(h, FSCTL_SET_REPARSE_POINT, &data, 8u + data.dataLength, nullptr, 0,
                           &returned, nullptr) != 0;
    ::CloseHandle(h);
  }
  if (!ok) ::RemoveDirectoryW(LongForm(link).c_str());
  return ok;
}

bool IsLink(const NativeString& path) {
  const DWORD a = ::GetFileAttributesW(LongForm(path).c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_REPARSE_POINT);
}

bool MakeSymbolicLink(const NativeString& target, const NativeString& link) {
  const DWORD unprivileged = 0x2;  // SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE
  if (!::CreateSymbolicLinkW(link.c_str(), target.c_str(),
                             SYMBOLIC_LINK_FLAG_DIRECTORY | unprivileged))
    return false;
  return IsLink(link);  // some systems report success without making anything
}

using UnixName = char*(__cdecl*)(const wchar_t*);

// Under Wine, the host's name of a path; empty elsewhere.
std::string HostPath(const NativeString& path) {
  static const auto toUnix = reinterpret_cast<UnixName>(reinterpret_cast<void*>(
      ::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
  if (!toUnix) return {};
  char* name = toUnix(path.c_str());
  std::string out = name ? name : "";
  ::HeapFree(::GetProcessHeap(), 0, name);
  return out;
}

// Wine reports the end of a host program before the program has run; wait for its effect.
bool Eventually(bool (*check)(const NativeString&), const NativeString& path) {
  for (int i = 0; i < 100; ++i) {
    if (check(path)) return true;
    ::Sleep(20);
  }
  return false;
}

// Wine keeps its files on the host; a host symbolic link shows as a reparse point.
bool MakeHostLink(const NativeString& target, const NativeString& link) {
  const std::string unixTarget = HostPath(target), unixLink = HostPath(link);
  if (unixTarget.empty() || unixLink.empty()) return false;
  auto r = RunProcess("Z:\\bin\\ln", {"-s", unixTarget, unixLink});
  if (r.exitStatus == 0 && Eventually(IsLink, link)) return true;
  std::fprintf(stderr, "ln -s %s %s: exit %d, %s\n", unixTarget.c_str(), unixLink.c_str(),
               r.exitStatus, r.err.c_str());
  return false;
}

// Wine can neither delete its host links nor see them once their target is gone.
void RemoveHostLink(const NativeString& link) {
  const std::string unixLink = HostPath(link);
  if (unixLink.empty()) return;
  RunProcess("Z:\\bin\\rm", {"-f", unixLink});
  Eventually([](const NativeString& p) { return !IsLink(p); }, link);
}

}  // namespace

NativeString LongForm(const NativeString& path) {
  if (path.rfind(L"\\\\", 0) == 0) return path;
  return L"\\\\?\\" + path;
}

bool RunningUnderWine() {
  return ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

TempTree::TempTree() {
  static std::atomic<unsigned> counter{0};
  const NativeString base = ScratchBase();
  for (unsigned attempt = 0;; ++attempt) {
    root_ = base + L"kelvo-test-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
            std::to_wstring(counter++) + L"\\";
    if (::CreateDirectoryW(root_.c_str(), nullptr)) break;
    Check(attempt < 100 && ::GetLastError() == ERROR_ALREADY_EXISTS, "CreateDirectoryW", root_);
  }
}

TempTree::~TempTree() {
  RemoveTree(root_);
}

NativeString TempTree::Path(std::string_view relative) const {
  NativeString path = root_ + Utf8ToNative(relative);
  for (wchar_t& c : path)
    if (c == L'/') c = L'\\';
  return path;
}

void TempTree::Dir(std::string_view relative) {
  const NativeString path = Path(relative);
  for (std::size_t pos = root_.size(); pos <= path.size(); ++pos) {
    if (pos < path.size() && path[pos] != L'\\') continue;
    const NativeString part = LongForm(path.substr(0, pos));
    if (!::CreateDirectoryW(part.c_str(), nullptr))
      Check(::GetLastError() == ERROR_ALREADY_EXISTS, "CreateDirectoryW", part);
  }
}

void TempTree::File(std::string_view relative, std::string_view content) {
  const NativeString path = Path(relative);
  const auto slash = path.rfind(L'\\');
  if (slash > root_.size()) Dir(NativeToUtf8(path.substr(root_.size(), slash - root_.size())));
  HANDLE h = ::CreateFileW(LongForm(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
  Check(h != INVALID_HANDLE_VALUE, "CreateFileW", path);
  DWORD written = 0;
  const BOOL ok =
      content.empty() ||
      ::WriteFile(h, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
  ::CloseHandle(h);
  Check(ok && written == content.size(), "WriteFile", path);
}

void TempTree::SizedFile(std::string_view relative, std::uint64_t length) {
  File(relative, "");
  const NativeString path = LongForm(Path(relative));
  HANDLE h = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  Check(h != INVALID_HANDLE_VALUE, "CreateFileW", path);
  DWORD returned = 0;
  ::DeviceIoControl(h, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &returned, nullptr);
  LARGE_INTEGER end;
  end.QuadPart = static_cast<LONGLONG>(length);
  const BOOL ok = ::SetFilePointerEx(h, end, nullptr, FILE_BEGIN) && ::SetEndOfFile(h);
  ::CloseHandle(h);
  Check(ok, "SetEndOfFile", path);
}

void TempTree::SetAttributes(std::string_view relative, std::uint32_t attributes) {
  const NativeString path = LongForm(Path(relative));
  Check(::SetFileAttributesW(path.c_str(), attributes), "SetFileAttributesW", path);
}

std::uint32_t TempTree::Attributes(std::string_view relative) const {
  return ::GetFileAttributesW(LongForm(Path(relative)).c_str());
}

bool TempTree::DirectoryLink(std::string_view target, std::string_view relative) {
  const NativeString targetPath = Path(target);
  const NativeString linkPath = Path(relative);
  const auto slash = linkPath.rfind(L'\\');
  if (slash > root_.size()) Dir(NativeToUtf8(linkPath.substr(root_.size(), slash - root_.size())));
  return MakeJunction(targetPath, linkPath) || MakeSymbolicLink(targetPath, linkPath) ||
         (RunningUnderWine() && MakeHostLink(targetPath, linkPath));
}

namespace {

// Calls visit(path, attributes) for every entry of dir (long form, ending with "\\").
template <class Visit>
void ForEachEntry(const NativeString& dir, Visit visit) {
  WIN32_FIND_DATAW data;
  HANDLE find = ::FindFirstFileW((dir + L"*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return;
  do {
    const NativeString name = data.cFileName;
    if (name != L"." && name != L"..") visit(dir + name, data.dwFileAttributes);
  } while (::FindNextFileW(find, &data));
  ::FindClose(find);
}

bool IsPlainFolder(DWORD attributes) {
  return (attributes & FILE_ATTRIBUTE_DIRECTORY) && !(attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

// Links go first: once its target is gone, a host link under Wine can no longer be seen or removed.
void RemoveLinks(const NativeString& dir) {
  ForEachEntry(dir, [](const NativeString& child, DWORD attributes) {
    if (IsPlainFolder(attributes)) {
      RemoveLinks(child + L"\\");
    } else if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
      if (!::RemoveDirectoryW(child.c_str()) && !::DeleteFileW(child.c_str()))
        RemoveHostLink(child);
    }
  });
}

void RemoveEverything(const NativeString& dir) {
  ForEachEntry(dir, [](const NativeString& child, DWORD attributes) {
    ::SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (IsPlainFolder(attributes)) {
      RemoveEverything(child + L"\\");
      ::RemoveDirectoryW(child.c_str());
    } else if (!::DeleteFileW(child.c_str())) {
      ::RemoveDirectoryW(child.c_str());
    }
  });
}

}  // namespace

bool Exists(const NativeString& path) {
  return ::GetFileAttributesW(LongForm(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

void RemoveTree(const NativeString& path) {
  NativeString dir = LongForm(path);
  if (dir.back() != L'\\') dir.push_back(L'\\');
  RemoveLinks(dir);
  RemoveEverything(dir);
  dir.pop_back();
  ::SetFileAttributesW(dir.c_str(), FILE_ATTRIBUTE_NORMAL);
  ::RemoveDirectoryW(dir.c_str());
}

}  // namespace kelvo::testing
