// Directories as open descriptors: children are opened with openat(O_NOFOLLOW), listed with raw
// getdents64 and examined with statx(AT_SYMLINK_NOFOLLOW), so depth and path length are unlimited
// and no symbolic link is ever followed below a root.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "platform/file_system.h"
#include "platform/posix/posix_attributes.h"
#include "platform/posix/posix_error.h"
#include "platform/posix/posix_stat.h"
#include "platform/posix/unique_fd.h"

namespace kelvo::platform {
namespace {

struct LinuxDirent64 {
  ino64_t d_ino;
  off64_t d_off;
  unsigned short d_reclen;
  unsigned char d_type;
  char d_name[];
};

EntryType TypeFromDirent(unsigned char d_type) {
  switch (d_type) {
    case DT_REG:
      return EntryType::kFile;
    case DT_DIR:
      return EntryType::kDirectory;
    case DT_LNK:
      return EntryType::kSymlink;
    case DT_UNKNOWN:
      return EntryType::kUnknown;
    default:
      return EntryType::kOther;
  }
}

class PosixDirectory final : public Directory {
 public:
  PosixDirectory(UniqueFd fd, const FolderIdentity& id) : fd_(std::move(fd)), id_(id) {}
  PosixDirectory(const PosixDirectory&) = delete;
  PosixDirectory& operator=(const PosixDirectory&) = delete;

  std::error_code List(Listing& out) override {
    out.Clear();
    // A fresh descriptor already stands at the start; only a second listing needs to rewind.
    if (listed_ && ::lseek(fd_.get(), 0, SEEK_SET) < 0) return LastErrnoError();
    listed_ = true;
    alignas(LinuxDirent64) static thread_local std::array<char, 64 * 1024> buffer;
    for (;;) {
      long n = ::syscall(SYS_getdents64, fd_.get(), buffer.data(), buffer.size());
      if (n < 0) {
        if (errno == EINTR) continue;
        return LastErrnoError();
      }
      if (n == 0) return {};
      for (long pos = 0; pos < n;) {
        auto* d = reinterpret_cast<LinuxDirent64*>(buffer.data() + pos);
        pos += d->d_reclen;
        const char* name = d->d_name;
        if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0))) continue;
        EntryType type = TypeFromDirent(d->d_type);
        // The type tells every attribute but a directory's read-only bit.
        out.Add(NativeStringView(name, std::strlen(name)), type,
                type == EntryType::kUnknown ? 0 : AttributesFromType(type, name[0] == '.'),
                type != EntryType::kDirectory && type != EntryType::kUnknown);
      }
    }
  }

  std::error_code Stat(const NativeChar* name, EntryStat& out) override {
    return StatEntryAt(fd_.get(), name, out);
  }

  std::unique_ptr<Directory> OpenChild(const NativeChar* name, std::error_code& ec) override {
    return OpenAt(fd_.get(), name, O_NOFOLLOW, ec);
  }

  std::uint64_t Device() const override { return id_.device; }
  std::uint64_t Inode() const override { return id_.inode; }
  std::uint64_t MountId() const override { return id_.mount; }

  static std::unique_ptr<Directory> OpenAt(int dirfd, const char* path, int extraFlags,
                                           std::error_code& ec) {
    UniqueFd fd(::openat(dirfd, path, O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOCTTY | extraFlags));
    if (!fd) {
      ec = LastErrnoError();
      return nullptr;
    }
    FolderIdentity id;
    if ((ec = IdentifyFolder(fd.get(), id))) return nullptr;
    return std::make_unique<PosixDirectory>(std::move(fd), id);
  }

 private:
  UniqueFd fd_;
  FolderIdentity id_;
  bool listed_ = false;
};

class PosixFileSystem final : public FileSystem {
 public:
  std::unique_ptr<Directory> OpenDirectory(const NativeString& path, std::error_code& ec) override {
    return PosixDirectory::OpenAt(AT_FDCWD, path.c_str(), 0, ec);
  }

  std::error_code ResolveRoot(NativeStringView root, NativeString& canonical) override {
    const std::string text(root);
    std::unique_ptr<char, void (*)(void*)> real(::realpath(text.c_str(), nullptr), std::free);
    if (!real) return LastErrnoError();
    struct stat st;
    if (::stat(real.get(), &st) != 0) return LastErrnoError();
    if (!S_ISDIR(st.st_mode)) return std::make_error_code(std::errc::not_a_directory);
    canonical = real.get();
    if (canonical.back() != '/') canonical.push_back('/');
    return {};
  }
};

}  // namespace

FileSystem& NativeFileSystem() {
  static PosixFileSystem fs;
  return fs;
}

}  // namespace kelvo::platform
