// Atomic replacement with descriptors relative to the target's folder: the folder is opened and
// locked once, the temporary file is created beside the target with O_EXCL, written, fsync'ed, and
// renamed over the target; the folder is fsync'ed last so the rename itself survives a crash.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <random>

#include "platform/file_update.h"
#include "platform/posix/unique_fd.h"

namespace kelvo::platform {
namespace {

constexpr std::size_t kLargestFile = 64 * 1024 * 1024;

std::atomic<CommitHook> g_commitHook{nullptr};

std::error_code LastError() {
  return {errno, std::generic_category()};
}

std::error_code ReadAll(int fd, std::string& out) {
  out.clear();
  struct stat st;
  if (::fstat(fd, &st) != 0) return LastError();
  if (S_ISDIR(st.st_mode)) return std::make_error_code(std::errc::is_a_directory);
  if (st.st_size > static_cast<off_t>(kLargestFile)) {
    return std::make_error_code(std::errc::file_too_large);
  }
  char buffer[16 * 1024];
  for (;;) {
    ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0) {
      if (errno == EINTR) continue;
      return LastError();
    }
    if (n == 0) return {};
    out.append(buffer, static_cast<std::size_t>(n));
    if (out.size() > kLargestFile) return std::make_error_code(std::errc::file_too_large);
  }
}

std::error_code WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return LastError();
    }
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return {};
}

// The file a path really names: a symbolic link is resolved so that the link survives the rename.
std::string ResolveTarget(const std::string& path) {
  struct stat st;
  if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
  char resolved[PATH_MAX];
  if (::realpath(path.c_str(), resolved) == nullptr) return path;
  return resolved;
}

void SplitPath(const std::string& path, std::string& folder, std::string& name) {
  auto slash = path.rfind('/');
  if (slash == std::string::npos) {
    folder = ".";
    name = path;
  } else {
    folder = slash == 0 ? "/" : path.substr(0, slash);
    name = path.substr(slash + 1);
  }
}

std::string TemporaryName(const std::string& name) {
  static std::atomic<unsigned> counter{0};
  thread_local std::mt19937 random{std::random_device{}()};
  return "." + name + ".kelvo-" + std::to_string(::getpid()) + "-" +
         std::to_string(counter.fetch_add(1)) + "-" + std::to_string(random() % 1000000);
}

}  // namespace

Result<std::string> ReadWholeFile(const NativeString& path) {
  UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY));
  if (!fd) return Fail(LastError());
  std::string bytes;
  if (auto ec = ReadAll(fd.get(), bytes)) return Fail(ec);
  return bytes;
}

std::error_code UpdateFileAtomically(const NativeString& path, const FileEdit& edit) {
  if (path.empty()) return std::make_error_code(std::errc::invalid_argument);
  std::string folder, name;
  SplitPath(ResolveTarget(path), folder, name);
  if (name.empty()) return std::make_error_code(std::errc::is_a_directory);

  UniqueFd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!dir) return LastError();
  // Serialises our own writers so that no update of another key is lost; best effort only.
  while (::flock(dir.get(), LOCK_EX) != 0 && errno == EINTR) {
  }

  std::string current;
  bool existed = false;
  struct stat oldStat {};
  {
    UniqueFd old(::openat(dir.get(), name.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY));
    if (old) {
      existed = true;
      if (::fstat(old.get(), &oldStat) != 0) return LastError();
      if (auto ec = ReadAll(old.get(), current)) return ec;
    } else if (errno != ENOENT) {
      return LastError();
    }
  }

  std::optional<std::string> next = edit(current, existed);
  if (!next) return {};

  const mode_t mode = existed ? (oldStat.st_mode & 07777) : 0666;
  std::string temporary;
  int fd = -1;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    temporary = TemporaryName(name);
    fd = ::openat(dir.get(), temporary.c_str(),
                  O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, mode);
    if (fd < 0 && errno != EEXIST) return LastError();
  }
  if (fd < 0) return std::make_error_code(std::errc::file_exists);
  UniqueFd out(fd);

  auto abandon = [&](std::error_code ec) {
    ::unlinkat(dir.get(), temporary.c_str(), 0);
    return ec;
  };
  if (existed) {
    // The umask may have narrowed the mode; owner and group matter when root edits a user's file.
    if (::fchmod(out.get(), mode) != 0) return abandon(LastError());
    if (oldStat.st_uid != ::geteuid() || oldStat.st_gid != ::getegid()) {
      if (::fchown(out.get(), oldStat.st_uid, oldStat.st_gid) != 0) {
        // Not permitted for an ordinary user: the new file keeps our ownership.
      }
    }
  }
  if (auto ec = WriteAll(out.get(), *next)) return abandon(ec);
  if (::fsync(out.get()) != 0) return abandon(LastError());
  if (auto ec = out.Close()) return abandon(ec);

  if (CommitHook hook = g_commitHook.load()) {
    if (auto ec = hook(folder + "/" + temporary, folder + "/" + name)) return abandon(ec);
  }
  if (::renameat(dir.get(), temporary.c_str(), dir.get(), name.c_str()) != 0) {
    return abandon(LastError());
  }
  // The new content is in place; a failing folder flush only weakens the crash guarantee.
  ::fsync(dir.get());
  return {};
}

std::error_code MakeFolders(const NativeString& folder) {
  if (folder.empty()) return std::make_error_code(std::errc::invalid_argument);
  std::string partial;
  std::size_t pos = 0;
  while (pos <= folder.size()) {
    std::size_t next = folder.find('/', pos);
    if (next == std::string::npos) next = folder.size();
    partial = folder.substr(0, next);
    pos = next + 1;
    if (partial.empty() || partial.back() == '/') continue;
    if (::mkdir(partial.c_str(), 0700) != 0 && errno != EEXIST) return LastError();
  }
  struct stat st;
  if (::stat(folder.c_str(), &st) != 0) return LastError();
  if (!S_ISDIR(st.st_mode)) return std::make_error_code(std::errc::not_a_directory);
  return {};
}

CommitHook SetCommitHookForTesting(CommitHook hook) {
  return g_commitHook.exchange(hook);
}

}  // namespace kelvo::platform
