// Atomic replacement on Windows: the new content is written to a temporary file beside the target
// and flushed, then ReplaceFileW swaps it in (keeping the old file's attributes and security) or,
// for a new file, MoveFileExW renames it into place.
#include <windows.h>

#include <atomic>
#include <filesystem>
#include <mutex>

#include "platform/file_update.h"
#include "platform/win32/reparse_check.h"
#include "platform/win32/win32_error.h"

namespace kelvo::platform {
namespace {

std::atomic<CommitHook> g_commitHook{nullptr};
std::mutex g_updateMutex;  // serialises this process's updates

std::error_code LastError() {
  return LastWin32Error();
}

class Handle {
 public:
  explicit Handle(HANDLE h) : h_(h) {}
  ~Handle() {
    if (valid()) ::CloseHandle(h_);
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  HANDLE get() const { return h_; }
  bool valid() const { return h_ != INVALID_HANDLE_VALUE; }
  bool Close() {
    bool ok = ::CloseHandle(h_) != 0;
    h_ = INVALID_HANDLE_VALUE;
    return ok;
  }

 private:
  HANDLE h_;
};

std::error_code ReadOpen(const NativeString& path, std::string& out, bool& existed) {
  out.clear();
  existed = false;
  // The link itself is opened, never what it points to: a reparse point is refused.
  Handle file(::CreateFileW(
      path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!file.valid()) {
    DWORD error = ::GetLastError();
    if (error == ERROR_FILE_NOT_FOUND) return {};
    return Win32Error(error);
  }
  existed = true;
  BY_HANDLE_FILE_INFORMATION info;
  if (!::GetFileInformationByHandle(file.get(), &info)) return LastError();
  if ((info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) || PathShowsReparsePoint(path))
    return FileRefusal::kForeignLink;
  if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
    return std::make_error_code(std::errc::is_a_directory);
  if (::GetFileType(file.get()) != FILE_TYPE_DISK) return FileRefusal::kNotRegularFile;
  LARGE_INTEGER size;
  if (!::GetFileSizeEx(file.get(), &size)) return LastError();
  if (size.QuadPart > static_cast<LONGLONG>(kLargestOwnFile)) {
    return std::make_error_code(std::errc::file_too_large);
  }
  out.resize(static_cast<std::size_t>(size.QuadPart));
  std::size_t done = 0;
  while (done < out.size()) {
    DWORD n = 0;
    if (!::ReadFile(file.get(), out.data() + done, static_cast<DWORD>(out.size() - done), &n,
                    nullptr)) {
      return LastError();
    }
    if (n == 0) break;
    done += n;
  }
  out.resize(done);
  return {};
}

}  // namespace

Result<std::string> ReadWholeFile(const NativeString& path) {
  std::string bytes;
  bool existed = false;
  if (auto ec = ReadOpen(path, bytes, existed)) return Fail(ec);
  if (!existed) return Fail(std::errc::no_such_file_or_directory);
  return bytes;
}

std::error_code UpdateFileAtomically(const NativeString& path, const FileEdit& edit) {
  std::lock_guard lock(g_updateMutex);
  std::string current;
  bool existed = false;
  if (auto ec = ReadOpen(path, current, existed)) return ec;
  std::optional<std::string> next = edit(current, existed);
  if (!next) return {};

  static std::atomic<unsigned> counter{0};
  NativeString temporary = path + L".kelvo-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
                           std::to_wstring(counter.fetch_add(1));
  {
    Handle out(::CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                             FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!out.valid()) return LastError();
    std::size_t done = 0;
    std::error_code ec;
    while (!ec && done < next->size()) {
      DWORD n = 0;
      if (!::WriteFile(out.get(), next->data() + done, static_cast<DWORD>(next->size() - done), &n,
                       nullptr)) {
        ec = LastError();
      }
      done += n;
    }
    if (!ec && !::FlushFileBuffers(out.get())) ec = LastError();
    if (!out.Close() && !ec) ec = LastError();
    if (ec) {
      ::DeleteFileW(temporary.c_str());
      return ec;
    }
  }
  if (CommitHook hook = g_commitHook.load()) {
    if (auto ec = hook(temporary, path)) {
      ::DeleteFileW(temporary.c_str());
      return ec;
    }
  }
  BOOL committed = existed ? ::ReplaceFileW(path.c_str(), temporary.c_str(), nullptr,
                                            REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)
                           : ::MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_WRITE_THROUGH);
  if (!committed) {
    auto ec = LastError();
    ::DeleteFileW(temporary.c_str());
    return ec;
  }
  return {};
}

std::error_code MakeFolders(const NativeString& folder) {
  std::error_code ec;
  std::filesystem::create_directories(std::filesystem::path(folder), ec);
  return ec;
}

CommitHook SetCommitHookForTesting(CommitHook hook) {
  return g_commitHook.exchange(hook);
}

}  // namespace kelvo::platform
