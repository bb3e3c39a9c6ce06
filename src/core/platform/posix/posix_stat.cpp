#include "platform/posix/posix_stat.h"
#include "platform/posix/posix_error.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "platform/posix/posix_attributes.h"

namespace kelvo::platform {
namespace {

std::int64_t Nanoseconds(const struct statx_timestamp& t) {
  return static_cast<std::int64_t>(t.tv_sec) * 1000000000 + t.tv_nsec;
}

// Kernels before Linux 5.8 do not give the mount through statx, but show it in the descriptor's
// fdinfo.
std::uint64_t MountFromFdinfo(int fd) {
  const std::string path = "/proc/self/fdinfo/" + std::to_string(fd);
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> in(std::fopen(path.c_str(), "re"), std::fclose);
  if (!in) return 0;
  char line[256];
  while (std::fgets(line, sizeof line, in.get()))
    if (std::strncmp(line, "mnt_id:", 7) == 0) return std::strtoull(line + 7, nullptr, 10);
  return 0;
}

}  // namespace

std::error_code StatEntryAt(int dirfd, const char* name, EntryStat& out) {
  struct statx sx;
  if (::statx(dirfd, name, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT, STATX_BASIC_STATS | STATX_BTIME,
              &sx) != 0)
    return LastErrnoError();
  out.type = TypeFromMode(sx.stx_mode);
  out.attributes = AttributesFromMode(sx.stx_mode, name[0] == '.');
  out.size = sx.stx_size;
  out.allocated = (sx.stx_mask & STATX_BLOCKS) ? sx.stx_blocks * 512 : sx.stx_size;
  out.links = (sx.stx_mask & STATX_NLINK) ? sx.stx_nlink : 1;
  out.device = makedev(sx.stx_dev_major, sx.stx_dev_minor);
  out.inode = sx.stx_ino;
  out.modified = Nanoseconds(sx.stx_mtime);
  out.bornKnown = (sx.stx_mask & STATX_BTIME) != 0;
  out.born = out.bornKnown ? Nanoseconds(sx.stx_btime) : 0;
  return {};
}

std::error_code IdentifyFolder(int fd, FolderIdentity& out) {
  struct statx sx;
  if (::statx(fd, "", AT_EMPTY_PATH, STATX_TYPE | STATX_INO | STATX_MNT_ID, &sx) != 0)
    return LastErrnoError();
  out.device = makedev(sx.stx_dev_major, sx.stx_dev_minor);
  out.inode = sx.stx_ino;
  out.mount = (sx.stx_mask & STATX_MNT_ID) ? sx.stx_mnt_id : MountFromFdinfo(fd);
  return {};
}

}  // namespace kelvo::platform
