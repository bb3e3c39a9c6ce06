// Removal with descriptors: the parent folder is reached from the root by openat(O_DIRECTORY |
// O_NOFOLLOW) one component at a time, the entry is examined with statx(AT_SYMLINK_NOFOLLOW) and
// removed with unlinkat relative to that parent, so no path is ever resolved through a symbolic
// link below the root and paths longer than PATH_MAX work.
//
// The folders of the last path stay open as a chain (the deepest few by descriptor, the others by
// name and identity): the next row only opens the components where its path differs, and climbs
// back to a closed ancestor through ".." checked against the identity it had, so deleting a tree in
// path order opens each folder about once, however deep it is.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <tuple>
#include <vector>

#include "platform/entry_removal.h"
#include "platform/posix/freedesktop_trash.h"
#include "platform/posix/posix_error.h"
#include "platform/posix/posix_stat.h"
#include "platform/posix/unique_fd.h"

namespace kelvo::platform {
namespace {

RemovalReport Report(RemovalStatus status, int e = 0) {
  RemovalReport r;
  r.status = status;
  if (e != 0) r.error = ErrnoError(e);
  return r;
}

RemovalReport ReportErrno(int e) {
  switch (e) {
    case ENOENT:
      return Report(RemovalStatus::kGone);
    case EACCES:
    case EPERM:
      return Report(RemovalStatus::kPermissionDenied, e);
    case EBUSY:
    case ETXTBSY:
      return Report(RemovalStatus::kInUse, e);
    case ENOTEMPTY:
    case EEXIST:
      return Report(RemovalStatus::kNotEmpty, e);
    case EISDIR:
      return Report(RemovalStatus::kIsDirectory, e);
    default:
      return Report(RemovalStatus::kFailed, e);
  }
}

RemovalReport NotBelowRoot() {
  RemovalReport r;
  r.error = std::make_error_code(std::errc::invalid_argument);
  return r;
}

bool IsSymlinkAt(int dirfd, const char* name) {
  struct stat st;
  return ::fstatat(dirfd, name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(st.st_mode);
}

// Descriptors kept open at the deep end of the chain; the rest are reopened through "..".
constexpr std::size_t kOpenWindow = 32;
constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY;

// The components of path below root; false when path is not under root or holds an empty, "." or
// ".." component (which could lead out of the tree).
bool SplitBelowRoot(std::string_view path, std::string_view root, std::vector<std::string>& out) {
  if (path.size() <= root.size() || path.substr(0, root.size()) != root) return false;
  std::string_view rest = path.substr(root.size());
  while (!rest.empty() && rest.back() == '/') rest.remove_suffix(1);  // "folder/" names the folder
  out.clear();
  while (!rest.empty()) {
    const std::size_t slash = rest.find('/');
    std::string_view part = rest.substr(0, slash);
    if (part.empty() || part == "." || part == "..") return false;
    out.emplace_back(part);
    rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash + 1);
  }
  return !out.empty();
}

class PosixEntryRemover final : public EntryRemover {
 public:
  explicit PosixEntryRemover(Disposal disposal) : disposal_(disposal) {}

  RemovalReport Remove(const RemovalTarget& target) override {
    const bool rootKnown = !target.root.empty();
    std::string root = rootKnown ? std::string(target.root) : std::string("/");
    if (root.front() != '/') return NotBelowRoot();
    if (root.back() != '/') root.push_back('/');
    std::vector<std::string> parts;
    if (!SplitBelowRoot(target.path, root, parts)) return NotBelowRoot();
    const std::string name = std::move(parts.back());
    parts.pop_back();

    if (levels_.empty() || root_ != root || rootKnown_ != rootKnown ||
        rootLinksFollowed_ != target.followRootLinks) {
      levels_.clear();
      RemovalReport failure;
      if (!OpenRoot(root, target.followRootLinks, failure)) return failure;
      root_ = std::move(root);
      rootKnown_ = rootKnown;
      rootLinksFollowed_ = target.followRootLinks;
    }
    RemovalReport failure;
    if (!ReachParent(parts, failure)) return failure;
    // Asked at every row, the folders kept open included: the list may have grown since the last.
    if (target.guard)
      for (const Level& level : levels_)
        if (target.guard->Keeps(level.id.device, level.id.inode))
          return Report(RemovalStatus::kKept);
    return RemoveIn(levels_.back().fd.get(), name.c_str(), target);
  }

  std::uint64_t FoldersOpened() const override { return opened_; }

 private:
  struct Level {
    std::string name;  // empty for the root
    FolderIdentity id;
    UniqueFd fd;  // closed above the window, reopened through ".." when needed
  };

  int OpenFolder(int dirfd, const char* name, int flags) {
    ++opened_;
    return ::openat(dirfd, name, flags);
  }

  bool OpenRoot(const std::string& root, bool followLinks, RemovalReport& failure) {
    // The root is opened as the scan opened it: the user named it, links in it included. Without
    // links it is reached from "/" one component at a time, as the folders below it are.
    Level top;
    top.fd = followLinks ? UniqueFd(OpenFolder(AT_FDCWD, root.c_str(), kFolderFlags & ~O_NOFOLLOW))
                         : OpenWithoutLinks(root, failure);
    if (!top.fd) {
      if (followLinks) failure = ReportErrno(errno);
      return false;
    }
    if (std::error_code ec = IdentifyFolder(top.fd.get(), top.id)) {
      failure = ReportErrno(ec.value());
      return false;
    }
    levels_.push_back(std::move(top));
    return true;
  }

  UniqueFd OpenWithoutLinks(const std::string& root, RemovalReport& failure) {
    UniqueFd at(OpenFolder(AT_FDCWD, "/", kFolderFlags));
    std::string_view rest(root);
    while (at && !rest.empty()) {
      const std::size_t slash = rest.find('/');
      const std::string part(rest.substr(0, slash));
      rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash + 1);
      if (part.empty()) continue;
      if (part == "." || part == "..") {
        failure = NotBelowRoot();
        return UniqueFd();
      }
      UniqueFd next(OpenFolder(at.get(), part.c_str(), kFolderFlags));
      if (!next) {
        const int e = errno;
        failure = e == ELOOP || (e == ENOTDIR && IsSymlinkAt(at.get(), part.c_str()))
                      ? Report(RemovalStatus::kLinkInPath, e)
                      : ReportErrno(e);
        return UniqueFd();
      }
      at = std::move(next);
    }
    if (!at) failure = ReportErrno(errno);
    return at;
  }

  // Makes levels_ the chain of open folders from the root down to the one parts names.
  bool ReachParent(const std::vector<std::string>& parts, RemovalReport& failure) {
    std::size_t keep = 0;  // levels below the root that the new path shares
    while (keep < parts.size() && keep + 1 < levels_.size() &&
           levels_[keep + 1].name == parts[keep])
      ++keep;
    if (!levels_[keep].fd && !ReopenUpTo(keep)) keep = 0;
    levels_.resize(keep + 1);
    for (std::size_t i = keep; i < parts.size(); ++i)
      if (!Descend(parts[i], failure)) return false;
    return true;
  }

  // Reopens level index from the nearest open level below it, one ".." at a time, each checked
  // against the identity the folder had; false when one was moved meanwhile.
  bool ReopenUpTo(std::size_t index) {
    std::size_t open = index + 1;
    while (!levels_[open].fd) ++open;  // the deepest level is always open
    for (std::size_t i = open; i > index; --i) {
      UniqueFd up(OpenFolder(levels_[i].fd.get(), "..", kFolderFlags));
      FolderIdentity id;
      if (!up || IdentifyFolder(up.get(), id) || id.device != levels_[i - 1].id.device ||
          id.inode != levels_[i - 1].id.inode)
        return false;
      levels_[i - 1].fd = std::move(up);
    }
    return true;
  }

  bool Descend(const std::string& part, RemovalReport& failure) {
    const int dir = levels_.back().fd.get();
    UniqueFd next(OpenFolder(dir, part.c_str(), kFolderFlags));
    if (!next) {
      const int e = errno;
      if (e == ELOOP || e == ENOTDIR) {
        // A link where a folder was is refused; any other non-folder means the entry is gone.
        failure = IsSymlinkAt(dir, part.c_str()) ? Report(RemovalStatus::kLinkInPath, e)
                  : e == ENOTDIR                 ? Report(RemovalStatus::kGone)
                                                 : Report(RemovalStatus::kFailed, e);
      } else {
        failure = ReportErrno(e);
      }
      return false;
    }
    Level level;
    if (std::error_code ec = IdentifyFolder(next.get(), level.id)) {
      failure = ReportErrno(ec.value());
      return false;
    }
    if (rootKnown_ && !OnRootMount(level.id)) {
      failure = Report(RemovalStatus::kOtherFileSystem);
      return false;
    }
    level.name = part;
    level.fd = std::move(next);
    levels_.push_back(std::move(level));
    if (levels_.size() > kOpenWindow + 1) levels_[levels_.size() - 1 - kOpenWindow].fd = UniqueFd();
    return true;
  }

  // A mount point, bind mounts of the root's own file system included, is a boundary.
  bool OnRootMount(const FolderIdentity& id) const {
    const FolderIdentity& root = levels_.front().id;
    return id.device == root.device && (id.mount == 0 || root.mount == 0 || id.mount == root.mount);
  }

  RemovalReport RemoveIn(int parent, const char* name, const RemovalTarget& target) {
    // Examined right before the unlink, relative to the same pinned parent.
    EntryStat st;
    if (std::error_code ec = StatEntryAt(parent, name, st)) return ReportErrno(ec.value());
    const bool folder = st.type == EntryType::kDirectory;
    if (st.type != EntryType::kFile && st.type != EntryType::kSymlink && !folder)
      return Report(RemovalStatus::kWrongKind);
    if (const auto& want = target.expected) {
      if (st.device != want->device || st.inode != want->inode ||
          (want->type != EntryType::kUnknown && want->type != st.type) ||
          (want->born && st.bornKnown && *want->born != st.born) ||
          (!folder && want->modified && *want->modified != st.modified))
        return Report(RemovalStatus::kChanged);
    }
    if (!folder && target.size && *target.size != st.size) return Report(RemovalStatus::kChanged);
    if (folder) {
      if (!target.emptyFolder) return Report(RemovalStatus::kIsDirectory);
      if (rootKnown_ && st.device != levels_.front().id.device)
        return Report(RemovalStatus::kOtherFileSystem);
      if (target.guard && target.guard->Keeps(st.device, st.inode))
        return Report(RemovalStatus::kKept);
      // Never renamed, not even into the trash: a rename would take along what it holds by now.
      if (disposal_ == Disposal::kCheck) return CheckEmpty(parent, name);
      if (::unlinkat(parent, name, AT_REMOVEDIR) != 0) return ReportErrno(errno);
      return Report(RemovalStatus::kRemoved);
    }
    if (target.emptyFolder) return Report(RemovalStatus::kChanged);  // no longer a folder
    if (disposal_ == Disposal::kCheck) {
      RemovalReport would = Report(RemovalStatus::kRemoved);
      would.bytes = st.size;
      return would;
    }
    if (disposal_ == Disposal::kTrash) return Trash(parent, name, target, st);
    if (::unlinkat(parent, name, 0) != 0) return ReportErrno(errno);
    RemovalReport done = Report(RemovalStatus::kRemoved);
    done.bytes = st.size;
    return done;
  }

  // What rmdir would say, without removing: a folder with anything in it is not empty.
  static RemovalReport CheckEmpty(int parent, const char* name) {
    UniqueFd fd(::openat(parent, name, kFolderFlags));
    if (!fd) return ReportErrno(errno);
    DIR* dir = ::fdopendir(fd.get());
    if (!dir) return ReportErrno(errno);
    std::ignore = fd.Release();  // the stream owns it now
    bool empty = true;
    errno = 0;
    while (const dirent* e = ::readdir(dir)) {
      const std::string_view n = e->d_name;
      if (n != "." && n != "..") {
        empty = false;
        break;
      }
    }
    const int e = errno;
    ::closedir(dir);
    if (e != 0) return ReportErrno(e);
    return Report(empty ? RemovalStatus::kRemoved : RemovalStatus::kNotEmpty,
                  empty ? 0 : ENOTEMPTY);
  }

  RemovalReport Trash(int parent, const char* name, const RemovalTarget& target,
                      const EntryStat& st) {
    std::string_view path = target.path;
    while (path.size() > 1 && path.back() == '/') path.remove_suffix(1);
    RemovalReport r = trash_.Move(parent, name, path, st, levels_.back().id.mount);
    if (r.status == RemovalStatus::kRemoved) r.bytes = st.size;
    return r;
  }

  Disposal disposal_;
  FreedesktopTrash trash_;
  std::vector<Level> levels_;  // levels_[0] is the root
  std::string root_;
  bool rootKnown_ = false;
  bool rootLinksFollowed_ = true;
  std::uint64_t opened_ = 0;
};

}  // namespace

std::unique_ptr<EntryRemover> MakeNativeEntryRemover(Disposal disposal) {
  return std::make_unique<PosixEntryRemover>(disposal);
}

}  // namespace kelvo::platform
