// Atomic replacement with descriptors relative to the target's folder: the folder is opened and
// locked once, the temporary file is created beside the target with O_EXCL, written, fsync'ed, and
// renamed over the target; the folder is fsync'ed last so the rename itself survives a crash. The
// path is walked one component at a time, so that every symbolic link on the way is checked
// before it is followed: root running with a user's HOME must not write through the user's link.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <random>
#include <vector>

#include "platform/file_update.h"
#include "platform/posix/posix_error.h"
#include "platform/posix/unique_fd.h"
#include "platform/posix/whole_file.h"

namespace kelvo::platform {
namespace {

constexpr int kMostLinks = 40;  // as the kernel allows on one path

std::atomic<CommitHook> g_commitHook{nullptr};

// Root's links cannot be planted by anyone else; our own are ours.
bool TrustedOwner(uid_t owner) {
  return owner == ::geteuid() || owner == 0;
}

std::error_code CheckReadable(const struct stat& st) {
  if (S_ISDIR(st.st_mode)) return std::make_error_code(std::errc::is_a_directory);
  if (!S_ISREG(st.st_mode)) return FileRefusal::kNotRegularFile;
  if (st.st_size > static_cast<off_t>(kLargestOwnFile))
    return std::make_error_code(std::errc::file_too_large);
  return {};
}

std::error_code ReadAll(int fd, std::string& out) {
  out.clear();
  struct stat st;
  if (::fstat(fd, &st) != 0) return LastErrnoError();
  if (auto ec = CheckReadable(st)) return ec;
  auto text = ReadWholeFile(fd, kLargestOwnFile);
  if (!text) return text.error();
  out = std::move(*text);
  return {};
}

std::error_code WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return LastErrnoError();
    }
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return {};
}

// What a walk found: the folder holding the last name, open, and that name (which may be missing).
struct WalkEnd {
  UniqueFd folder;
  std::string folderPath;  // the folder's path, links resolved, for messages and the test hook
  std::string name;
  bool throughLink = false;  // a symbolic link was followed on the way
};

// Pushes the components of path onto the stack of those still to walk, the first one on top.
void PushComponents(std::string_view path, std::vector<std::string>& pending) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= path.size(); ++i) {
    if (i == path.size() || path[i] == '/') {
      std::string_view part = path.substr(start, i - start);
      if (!part.empty() && part != ".") parts.emplace_back(part);
      start = i + 1;
    }
  }
  pending.insert(pending.end(), parts.rbegin(), parts.rend());
}

// Walks path from the top (or the working folder), following only trusted links. With
// makeFolders every component is a folder, made when missing; otherwise the last one is the name
// of the walk's end, resolved further only while it is a link.
std::error_code Walk(const std::string& path, bool makeFolders, WalkEnd& end) {
  if (path.empty()) return std::make_error_code(std::errc::invalid_argument);
  std::vector<std::string> pending;
  PushComponents(path, pending);
  UniqueFd dir(::open(path.front() == '/' ? "/" : ".", O_PATH | O_DIRECTORY | O_CLOEXEC));
  if (!dir) return LastErrnoError();
  std::string where = path.front() == '/' ? "" : ".";
  auto arrive = [&](std::string name) {
    end.folder = std::move(dir);
    end.folderPath = where.empty() ? "/" : where;
    end.name = std::move(name);
  };
  int links = 0;
  while (!pending.empty()) {
    const std::string name = std::move(pending.back());
    pending.pop_back();
    const bool last = pending.empty();
    UniqueFd entry(::openat(dir.get(), name.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
    if (!entry && errno == ENOENT && makeFolders) {
      if (::mkdirat(dir.get(), name.c_str(), 0700) != 0 && errno != EEXIST) return LastErrnoError();
      UniqueFd made(
          ::openat(dir.get(), name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
      if (!made) return LastErrnoError();
      struct stat parent, own;
      // Made by root in a user's folder: the user's, like the folder it is in.
      if (::fstat(dir.get(), &parent) == 0 && ::fstat(made.get(), &own) == 0 &&
          own.st_uid != parent.st_uid && own.st_uid == ::geteuid() && ::geteuid() == 0 &&
          ::fchown(made.get(), parent.st_uid, parent.st_gid) != 0) {
        // Not permitted: the folder stays ours.
      }
      entry = UniqueFd(::openat(dir.get(), name.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
    }
    if (!entry) {
      if (errno == ENOENT && last && !makeFolders) {
        arrive(name);
        return {};
      }
      return LastErrnoError();
    }
    struct stat st;
    if (::fstat(entry.get(), &st) != 0) return LastErrnoError();
    if (S_ISLNK(st.st_mode)) {
      if (!TrustedOwner(st.st_uid)) return FileRefusal::kForeignLink;
      if (++links > kMostLinks)
        return std::make_error_code(std::errc::too_many_symbolic_link_levels);
      std::string target(4096, '\0');
      const ssize_t n = ::readlinkat(entry.get(), "", target.data(), target.size());
      if (n < 0) return LastErrnoError();
      if (n == 0 || static_cast<std::size_t>(n) == target.size())
        return std::make_error_code(std::errc::filename_too_long);
      target.resize(static_cast<std::size_t>(n));
      end.throughLink = true;
      if (target.front() == '/') {
        dir = UniqueFd(::open("/", O_PATH | O_DIRECTORY | O_CLOEXEC));
        if (!dir) return LastErrnoError();
        where.clear();
      }
      PushComponents(target, pending);
      continue;
    }
    if (last && !makeFolders) {
      arrive(name);
      return {};
    }
    if (!S_ISDIR(st.st_mode)) return std::make_error_code(std::errc::not_a_directory);
    dir = std::move(entry);
    where += "/" + name;
  }
  if (!makeFolders) return std::make_error_code(std::errc::is_a_directory);
  arrive({});
  return {};
}

// The walk's end opened for reading, after its kind was checked without opening it (opening a
// device can have effects of its own). A missing file gives ENOENT.
std::error_code OpenForReading(const WalkEnd& end, UniqueFd& file, struct stat& st) {
  // A writer's rename between the look and the open swaps one regular file for another: look again.
  for (int attempt = 0; attempt < 16; ++attempt) {
    if (::fstatat(end.folder.get(), end.name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
      return LastErrnoError();
    if (S_ISLNK(st.st_mode)) return FileRefusal::kForeignLink;  // planted since the walk
    if (auto ec = CheckReadable(st)) return ec;
    file = UniqueFd(::openat(end.folder.get(), end.name.c_str(),
                             O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC));
    if (!file) return LastErrnoError();
    struct stat opened;
    if (::fstat(file.get(), &opened) != 0) return LastErrnoError();
    if (opened.st_dev == st.st_dev && opened.st_ino == st.st_ino) return {};
  }
  return FileRefusal::kNotRegularFile;  // swapped again and again: not a file to trust
}

std::string TemporaryName(const std::string& name) {
  static std::atomic<unsigned> counter{0};
  thread_local std::mt19937 random{std::random_device{}()};
  return "." + name + ".kelvo-" + std::to_string(::getpid()) + "-" +
         std::to_string(counter.fetch_add(1)) + "-" + std::to_string(random() % 1000000);
}

}  // namespace

Result<std::string> ReadWholeFile(const NativeString& path) {
  WalkEnd end;
  if (auto ec = Walk(path, false, end)) return Fail(ec);
  UniqueFd fd;
  struct stat st;
  if (auto ec = OpenForReading(end, fd, st)) return Fail(ec);
  std::string bytes;
  if (auto ec = ReadAll(fd.get(), bytes)) return Fail(ec);
  return bytes;
}

std::error_code UpdateFileAtomically(const NativeString& path, const FileEdit& edit) {
  WalkEnd end;
  if (auto ec = Walk(path, false, end)) return ec;
  const std::string& name = end.name;
  UniqueFd dir(::openat(end.folder.get(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!dir) return LastErrnoError();
  // Serialises our own writers so that no update of another key is lost; best effort only.
  while (::flock(dir.get(), LOCK_EX) != 0 && errno == EINTR) {
  }

  std::string current;
  bool existed = false;
  struct stat oldStat {};
  {
    UniqueFd old;
    const WalkEnd locked{UniqueFd(::dup(dir.get())), end.folderPath, name, end.throughLink};
    if (auto ec = OpenForReading(locked, old, oldStat)) {
      if (ec != std::errc::no_such_file_or_directory) return ec;
    } else {
      existed = true;
      if (end.throughLink && oldStat.st_uid != ::geteuid()) return FileRefusal::kForeignLink;
      if (auto ec2 = ReadAll(old.get(), current)) return ec2;
    }
  }

  std::optional<std::string> next = edit(current, existed);
  if (!next) return {};

  struct stat folderStat {};
  if (::fstat(dir.get(), &folderStat) != 0) return LastErrnoError();
  const mode_t mode = existed ? (oldStat.st_mode & 07777) : 0666;
  std::string temporary;
  int fd = -1;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    temporary = TemporaryName(name);
    fd = ::openat(dir.get(), temporary.c_str(),
                  O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, mode);
    if (fd < 0 && errno != EEXIST) return LastErrnoError();
  }
  if (fd < 0) return std::make_error_code(std::errc::file_exists);
  UniqueFd out(fd);

  auto abandon = [&](std::error_code ec) {
    ::unlinkat(dir.get(), temporary.c_str(), 0);
    return ec;
  };
  // The owner the file has, or for a new file root makes in a user's folder, the folder's owner.
  uid_t owner = ::geteuid();
  gid_t group = ::getegid();
  if (existed) {
    owner = oldStat.st_uid;
    group = oldStat.st_gid;
  } else if (::geteuid() == 0 && folderStat.st_uid != 0) {
    owner = folderStat.st_uid;
    group = folderStat.st_gid;
  }
  // The umask may have narrowed the mode; owner and group matter when root edits a user's file.
  if (existed && ::fchmod(out.get(), mode) != 0) return abandon(LastErrnoError());
  if (owner != ::geteuid() || group != ::getegid()) {
    if (::fchown(out.get(), owner, group) != 0) {
      // Not permitted for an ordinary user: the new file keeps our ownership.
    }
  }
  if (auto ec = WriteAll(out.get(), *next)) return abandon(ec);
  if (::fsync(out.get()) != 0) return abandon(LastErrnoError());
  if (auto ec = out.Close()) return abandon(ec);

  if (CommitHook hook = g_commitHook.load()) {
    const std::string& folder = end.folderPath;
    if (auto ec = hook(folder + "/" + temporary, folder + "/" + name)) return abandon(ec);
  }
  if (::renameat(dir.get(), temporary.c_str(), dir.get(), name.c_str()) != 0) {
    return abandon(LastErrnoError());
  }
  // The new content is in place; a failing folder flush only weakens the crash guarantee.
  ::fsync(dir.get());
  return {};
}

std::error_code MakeFolders(const NativeString& folder) {
  if (folder.empty()) return std::make_error_code(std::errc::invalid_argument);
  WalkEnd end;
  return Walk(folder, true, end);
}

CommitHook SetCommitHookForTesting(CommitHook hook) {
  return g_commitHook.exchange(hook);
}

}  // namespace kelvo::platform
