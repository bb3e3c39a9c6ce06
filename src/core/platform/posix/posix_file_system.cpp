// Directories as open descriptors: children are opened with openat(O_NOFOLLOW), listed with raw
// getdents64 and examined with fstatat(AT_SYMLINK_NOFOLLOW), so depth and path length are unlimited
// and no symbolic link is ever followed below a root.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>

#include "platform/file_system.h"
#include "platform/posix/posix_attributes.h"

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

std::error_code LastError() {
  return {errno, std::generic_category()};
}

class PosixDirectory final : public Directory {
 public:
  PosixDirectory(int fd, std::uint64_t device, std::uint64_t inode)
      : fd_(fd), device_(device), inode_(inode) {}
  ~PosixDirectory() override { ::close(fd_); }
  PosixDirectory(const PosixDirectory&) = delete;
  PosixDirectory& operator=(const PosixDirectory&) = delete;

  std::error_code List(Listing& out) override {
    out.Clear();
    // A fresh descriptor already stands at the start; only a second listing needs to rewind.
    if (listed_ && ::lseek(fd_, 0, SEEK_SET) < 0) return LastError();
    listed_ = true;
    alignas(LinuxDirent64) static thread_local std::array<char, 64 * 1024> buffer;
    for (;;) {
      long n = ::syscall(SYS_getdents64, fd_, buffer.data(), buffer.size());
      if (n < 0) {
        if (errno == EINTR) continue;
        return LastError();
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
    struct stat st;
    if (::fstatat(fd_, name, &st, AT_SYMLINK_NOFOLLOW) != 0) return LastError();
    out.type = TypeFromMode(st.st_mode);
    out.attributes = AttributesFromMode(st.st_mode, name[0] == '.');
    out.size = static_cast<std::uint64_t>(st.st_size);
    out.device = static_cast<std::uint64_t>(st.st_dev);
    out.inode = static_cast<std::uint64_t>(st.st_ino);
    return {};
  }

  std::unique_ptr<Directory> OpenChild(const NativeChar* name, std::error_code& ec) override {
    return OpenAt(fd_, name, O_NOFOLLOW, ec);
  }

  std::uint64_t Device() const override { return device_; }
  std::uint64_t Inode() const override { return inode_; }

  static std::unique_ptr<Directory> OpenAt(int dirfd, const char* path, int extraFlags,
                                           std::error_code& ec) {
    int fd = ::openat(dirfd, path, O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOCTTY | extraFlags);
    if (fd < 0) {
      ec = LastError();
      return nullptr;
    }
    struct stat st;
    if (::fstat(fd, &st) != 0) {
      ec = LastError();
      ::close(fd);
      return nullptr;
    }
    ec.clear();
    return std::make_unique<PosixDirectory>(fd, static_cast<std::uint64_t>(st.st_dev),
                                            static_cast<std::uint64_t>(st.st_ino));
  }

 private:
  int fd_;
  std::uint64_t device_;
  std::uint64_t inode_;
  bool listed_ = false;
};

class PosixFileSystem final : public FileSystem {
 public:
  std::unique_ptr<Directory> OpenDirectory(const NativeString& path, std::error_code& ec) override {
    return PosixDirectory::OpenAt(AT_FDCWD, path.c_str(), 0, ec);
  }
};

}  // namespace

FileSystem& NativeFileSystem() {
  static PosixFileSystem fs;
  return fs;
}

}  // namespace kelvo::platform
