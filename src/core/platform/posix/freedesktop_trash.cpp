#include "platform/posix/freedesktop_trash.h"
#include "platform/posix/posix_error.h"

#include <fcntl.h>
#include <stdio.h>  // renameat2
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <ctime>

#include "platform/file_update.h"
#include "platform/posix/mount_table.h"
#include "platform/posix/posix_stat.h"
#include "text/percent_encoding.h"

namespace kelvo::platform {
namespace {

constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
constexpr std::size_t kNameMax = 255;
constexpr std::string_view kInfoSuffix = ".trashinfo";

RemovalReport Failed(RemovalStatus status, std::error_code ec = {}) {
  RemovalReport r;
  r.status = status;
  r.error = ec;
  return r;
}

// Opens (creating it, private to the user, when missing) the folder name below dir; a link or
// anything but a folder is refused.
UniqueFd OpenOrMakeFolder(int dir, const char* name, std::error_code& ec) {
  if (::mkdirat(dir, name, 0700) != 0 && errno != EEXIST) {
    ec = ErrnoError(errno);
    return UniqueFd();
  }
  UniqueFd fd(::openat(dir, name, kFolderFlags));
  if (!fd) ec = ErrnoError(errno);
  return fd;
}

// A trash folder of ours must be a folder owned by us, not a link.
bool OwnedByUs(int fd) {
  struct stat st;
  return ::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::geteuid();
}

bool SameMount(const FolderIdentity& id, std::uint64_t device, std::uint64_t mount) {
  return id.device == device && (id.mount == 0 || mount == 0 || id.mount == mount);
}

std::string DataHome() {
  const char* xdg = std::getenv("XDG_DATA_HOME");
  std::string folder;
  if (xdg && xdg[0] == '/') {
    folder = xdg;
  } else {
    const char* home = std::getenv("HOME");
    folder = std::string(home && home[0] == '/' ? home : "") + "/.local/share";
  }
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  return folder;
}

std::string LocalTimeNow() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  ::localtime_r(&now, &local);
  char text[32];
  const std::size_t n = std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local);
  return std::string(text, n);
}

// The name the entry gets in the trash: its own, then "name.2", "name.3", ... cut so that the
// info file's name still fits.
std::string Candidate(std::string_view name, unsigned attempt) {
  const std::string suffix = attempt < 2 ? std::string() : "." + std::to_string(attempt);
  const std::size_t room = kNameMax - kInfoSuffix.size() - suffix.size();
  return std::string(name.substr(0, room)) + suffix;
}

// Writes the whole info file; false (with the file removed) when it could not be.
std::error_code WriteInfo(int infoDir, const std::string& infoName, const std::string& text) {
  UniqueFd fd(::openat(infoDir, infoName.c_str(),
                       O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
  if (!fd) return ErrnoError(errno);
  std::size_t done = 0;
  std::error_code ec;
  while (done < text.size()) {
    const ssize_t n = ::write(fd.get(), text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      ec = ErrnoError(n < 0 ? errno : EIO);
      break;
    }
    done += static_cast<std::size_t>(n);
  }
  if (std::error_code closed = fd.Close(); !ec) ec = closed;
  if (ec) ::unlinkat(infoDir, infoName.c_str(), 0);
  return ec;
}

}  // namespace

RemovalReport FreedesktopTrash::PutBack(int parentFd, const char* name, Bin& bin,
                                        const std::string& target, const std::string& infoName) {
  // Something else than the checked entry was renamed: it goes back under its own name, unless
  // that name is taken again, in which case it stays in the trash with its info, restorable.
  if (::renameat2(bin.files.get(), target.c_str(), parentFd, name, RENAME_NOREPLACE) == 0)
    ::unlinkat(bin.info.get(), infoName.c_str(), 0);
  return Failed(RemovalStatus::kChanged);
}

std::string EncodeTrashPath(std::string_view path) {
  return text::PercentEncode(path, [](unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '_' || c == '~' || c == '/';
  });
}

FreedesktopTrash::Bin FreedesktopTrash::OpenHomeBin() {
  Bin bin;
  bin.folder = DataHome() + "/Trash";
  if ((bin.why = MakeFolders(bin.folder))) return bin;
  // The user's own folder: links in its path are the user's choice.
  UniqueFd trash(::open(bin.folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!trash) {
    bin.why = ErrnoError(errno);
    return bin;
  }
  FolderIdentity id;
  if ((bin.why = IdentifyFolder(trash.get(), id))) return bin;
  bin.device = id.device;
  bin.mount = id.mount;
  bin.files = OpenOrMakeFolder(trash.get(), "files", bin.why);
  if (bin.files) bin.info = OpenOrMakeFolder(trash.get(), "info", bin.why);
  bin.usable = bin.files && bin.info;
  return bin;
}

FreedesktopTrash::Bin FreedesktopTrash::OpenTopBin(std::string_view fullPath, std::uint64_t device,
                                                   std::uint64_t mount) {
  Bin bin;
  bin.device = device;
  bin.mount = mount;
  bin.why = std::make_error_code(std::errc::no_such_device);
  // The top of the entry's mount: by its id, or else the longest mount point above the path.
  std::string top;
  for (const MountEntry& m : ReadOwnMounts()) {
    const bool above = fullPath.starts_with(m.mountPoint) &&
                       (m.mountPoint == "/" || fullPath.size() == m.mountPoint.size() ||
                        fullPath[m.mountPoint.size()] == '/');
    if (mount != 0 ? m.id == mount : (above && m.mountPoint.size() >= top.size()))
      top = m.mountPoint;
  }
  if (top.empty()) return bin;
  UniqueFd topFd(::open(top.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  FolderIdentity id;
  if (!topFd) {
    bin.why = ErrnoError(errno);
    return bin;
  }
  if ((bin.why = IdentifyFolder(topFd.get(), id))) return bin;
  if (!SameMount(id, device, mount)) {
    bin.why = std::make_error_code(std::errc::cross_device_link);
    return bin;
  }
  const std::string uid = std::to_string(::geteuid());
  UniqueFd trash;
  // $topdir/.Trash is shared: only a sticky folder, not a link, keeps users from each other's
  // files; anything else there is passed over.
  struct stat shared;
  if (::fstatat(topFd.get(), ".Trash", &shared, AT_SYMLINK_NOFOLLOW) == 0 &&
      S_ISDIR(shared.st_mode) && (shared.st_mode & S_ISVTX)) {
    UniqueFd sharedFd(::openat(topFd.get(), ".Trash", kFolderFlags));
    std::error_code ignored;
    if (sharedFd) trash = OpenOrMakeFolder(sharedFd.get(), uid.c_str(), ignored);
    if (trash && OwnedByUs(trash.get()))
      bin.folder = top + (top == "/" ? "" : "/") + ".Trash/" + uid;
    else
      trash = UniqueFd();
  }
  if (!trash) {
    const std::string own = ".Trash-" + uid;
    trash = OpenOrMakeFolder(topFd.get(), own.c_str(), bin.why);
    if (!trash) return bin;
    if (!OwnedByUs(trash.get())) {
      bin.why = std::make_error_code(std::errc::permission_denied);
      return bin;
    }
    bin.folder = top + (top == "/" ? "" : "/") + own;
  }
  if ((bin.why = IdentifyFolder(trash.get(), id))) return bin;
  if (!SameMount(id, device, mount)) {
    bin.why = std::make_error_code(std::errc::cross_device_link);
    return bin;
  }
  bin.files = OpenOrMakeFolder(trash.get(), "files", bin.why);
  if (bin.files) bin.info = OpenOrMakeFolder(trash.get(), "info", bin.why);
  bin.top = top;
  bin.usable = bin.files && bin.info;
  if (bin.usable) bin.why.clear();
  return bin;
}

FreedesktopTrash::Bin& FreedesktopTrash::Find(std::string_view fullPath, std::uint64_t device,
                                              std::uint64_t mount) {
  if (!homeTried_) {
    home_ = OpenHomeBin();
    homeTried_ = true;
  }
  if (home_.usable && home_.device == device &&
      (home_.mount == 0 || mount == 0 || home_.mount == mount))
    return home_;
  for (Bin& bin : tops_)
    if (bin.device == device && bin.mount == mount) return bin;
  tops_.push_back(OpenTopBin(fullPath, device, mount));
  return tops_.back();
}

RemovalReport FreedesktopTrash::Move(int parentFd, const char* name, std::string_view fullPath,
                                     const EntryStat& checked, std::uint64_t mount) {
  Bin& bin = Find(fullPath, checked.device, mount);
  if (!bin.usable) return Failed(RemovalStatus::kNoTrash, bin.why);
  std::string_view recorded = fullPath;
  if (!bin.top.empty() && bin.top != "/" && fullPath.starts_with(bin.top) &&
      fullPath.size() > bin.top.size() + 1 && fullPath[bin.top.size()] == '/')
    recorded = fullPath.substr(bin.top.size() + 1);  // relative to the top of its mount
  const std::string info =
      "[Trash Info]\nPath=" + EncodeTrashPath(recorded) + "\nDeletionDate=" + LocalTimeNow() + "\n";
  for (unsigned attempt = 1; attempt < 10000; ++attempt) {
    const std::string target = Candidate(name, attempt);
    const std::string infoName = target + std::string(kInfoSuffix);
    if (std::error_code ec = WriteInfo(bin.info.get(), infoName, info)) {
      if (ec == std::errc::file_exists) continue;  // the name is taken: try the next one
      return Failed(RemovalStatus::kNoTrash, ec);
    }
    int moved = ::renameat2(parentFd, name, bin.files.get(), target.c_str(), RENAME_NOREPLACE);
    if (moved != 0 && errno == EINVAL) {
      // A file system without the no-replace rename: look first, then rename.
      struct stat st;
      if (::fstatat(bin.files.get(), target.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0)
        errno = EEXIST;
      else
        moved = ::renameat(parentFd, name, bin.files.get(), target.c_str());
    }
    if (moved == 0) {
      EntryStat arrived;
      if (StatEntryAt(bin.files.get(), target.c_str(), arrived) ||
          arrived.device != checked.device || arrived.inode != checked.inode ||
          arrived.type != checked.type)
        return PutBack(parentFd, name, bin, target, infoName);
      RemovalReport done;
      done.status = RemovalStatus::kRemoved;
      done.trash = bin.folder;
      return done;
    }
    const int e = errno;
    ::unlinkat(bin.info.get(), infoName.c_str(), 0);
    if (e == EEXIST || e == ENOTEMPTY) continue;
    if (e == EXDEV) return Failed(RemovalStatus::kNoTrash, ErrnoError(e));
    RemovalReport failed;
    failed.status = e == ENOENT                 ? RemovalStatus::kGone
                    : e == EACCES || e == EPERM ? RemovalStatus::kPermissionDenied
                    : e == EBUSY                ? RemovalStatus::kInUse
                                                : RemovalStatus::kFailed;
    if (failed.status != RemovalStatus::kGone) failed.error = ErrnoError(e);
    return failed;
  }
  return Failed(RemovalStatus::kNoTrash, std::make_error_code(std::errc::file_exists));
}

}  // namespace kelvo::platform
