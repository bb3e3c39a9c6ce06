// Removal with descriptors: the parent folder is reached from the root by openat(O_DIRECTORY |
// O_NOFOLLOW) one component at a time, the entry is examined with fstatat(AT_SYMLINK_NOFOLLOW) and
// removed with unlinkat relative to that parent, so no path is ever resolved through a symbolic
// link below the root and paths longer than PATH_MAX work.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <vector>

#include "platform/entry_removal.h"
#include "platform/posix/posix_attributes.h"

namespace kelvo::platform {
namespace {

class UniqueFd {
 public:
  UniqueFd() = default;
  explicit UniqueFd(int fd) : fd_(fd) {}
  ~UniqueFd() { Reset(); }
  UniqueFd(UniqueFd&& other) noexcept : fd_(other.Release()) {}
  UniqueFd& operator=(UniqueFd&& other) noexcept {
    if (this != &other) {
      Reset();
      fd_ = other.Release();
    }
    return *this;
  }
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;

  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }
  int Release() {
    int fd = fd_;
    fd_ = -1;
    return fd;
  }
  void Reset() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }

 private:
  int fd_ = -1;
};

std::error_code Errno(int e) {
  return {e, std::generic_category()};
}

RemovalReport Report(RemovalStatus status, int e = 0) {
  RemovalReport r;
  r.status = status;
  if (e != 0) r.error = Errno(e);
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
  RemovalReport Remove(const RemovalTarget& target) override {
    const bool rootKnown = !target.root.empty();
    std::string root = rootKnown ? std::string(target.root) : std::string("/");
    if (root.front() != '/') return NotBelowRoot();
    if (root.back() != '/') root.push_back('/');
    std::vector<std::string> parts;
    if (!SplitBelowRoot(target.path, root, parts)) return NotBelowRoot();
    const std::string name = std::move(parts.back());
    parts.pop_back();

    std::string parentKey = root;
    for (const std::string& p : parts) (parentKey += p) += '/';
    if (!cachedParent_.valid() || cachedKey_ != parentKey || cachedRoot_ != root ||
        cachedRootKnown_ != rootKnown) {
      cachedParent_.Reset();
      RemovalReport failure;
      UniqueFd parent = OpenParent(root, rootKnown, parts, failure);
      if (!parent.valid()) return failure;
      cachedParent_ = std::move(parent);
      cachedKey_ = std::move(parentKey);
      cachedRoot_ = root;
      cachedRootKnown_ = rootKnown;
    }
    RemovalReport report = RemoveIn(cachedParent_.get(), name.c_str(), target, rootKnown);
    if (report.status == RemovalStatus::kRemoved && target.emptyFolder) cachedParent_.Reset();
    return report;
  }

 private:
  // Opens the folder that holds the entry; on failure returns an invalid descriptor and says why.
  UniqueFd OpenParent(const std::string& root, bool rootKnown,
                      const std::vector<std::string>& parts, RemovalReport& failure) {
    // The root is opened as the scan opened it: the user named it, links in it included.
    UniqueFd dir(::open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOCTTY));
    if (!dir.valid()) {
      failure = ReportErrno(errno);
      return {};
    }
    struct stat st;
    if (::fstat(dir.get(), &st) != 0) {
      failure = ReportErrno(errno);
      return {};
    }
    rootDevice_ = st.st_dev;
    for (const std::string& part : parts) {
      UniqueFd next(::openat(dir.get(), part.c_str(),
                             O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY));
      if (!next.valid()) {
        const int e = errno;
        if (e == ELOOP || e == ENOTDIR) {
          // A link where a folder was is refused; any other non-folder means the entry is gone.
          failure = IsSymlinkAt(dir.get(), part.c_str()) ? Report(RemovalStatus::kLinkInPath, e)
                    : e == ENOTDIR                       ? Report(RemovalStatus::kGone)
                                                         : Report(RemovalStatus::kFailed, e);
        } else {
          failure = ReportErrno(e);
        }
        return {};
      }
      if (::fstat(next.get(), &st) != 0) {
        failure = ReportErrno(errno);
        return {};
      }
      if (rootKnown && st.st_dev != rootDevice_) {
        failure = Report(RemovalStatus::kOtherFileSystem);
        return {};
      }
      dir = std::move(next);
    }
    return dir;
  }

  RemovalReport RemoveIn(int parent, const char* name, const RemovalTarget& target,
                         bool rootKnown) {
    struct stat st;
    if (::fstatat(parent, name, &st, AT_SYMLINK_NOFOLLOW) != 0) return ReportErrno(errno);
    const EntryType type = TypeFromMode(st.st_mode);
    if (const auto& want = target.expected) {
      if (static_cast<std::uint64_t>(st.st_dev) != want->device ||
          static_cast<std::uint64_t>(st.st_ino) != want->inode ||
          (want->type != EntryType::kUnknown && want->type != type))
        return Report(RemovalStatus::kChanged);
    }
    if (type == EntryType::kDirectory) {
      if (!target.emptyFolder) return Report(RemovalStatus::kIsDirectory);
      if (rootKnown && st.st_dev != rootDevice_) return Report(RemovalStatus::kOtherFileSystem);
      if (::unlinkat(parent, name, AT_REMOVEDIR) != 0) return ReportErrno(errno);
      return Report(RemovalStatus::kRemoved);
    }
    if (target.emptyFolder) return Report(RemovalStatus::kChanged);  // no longer a folder
    if (::unlinkat(parent, name, 0) != 0) return ReportErrno(errno);
    RemovalReport done = Report(RemovalStatus::kRemoved);
    done.bytes = static_cast<std::uint64_t>(st.st_size);
    return done;
  }

  UniqueFd cachedParent_;
  std::string cachedKey_;
  std::string cachedRoot_;
  bool cachedRootKnown_ = false;
  dev_t rootDevice_ = 0;
};

}  // namespace

std::unique_ptr<EntryRemover> MakeNativeEntryRemover() {
  return std::make_unique<PosixEntryRemover>();
}

}  // namespace kelvo::platform
