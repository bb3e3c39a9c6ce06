#include <sys/stat.h>

#include <cerrno>

#include "platform/file_stamp.h"

namespace kelvo::platform {

FileStamp StampOf(const NativeString& path) {
  FileStamp stamp;
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) {
    stamp.readable = errno == ENOENT || errno == ENOTDIR;
    return stamp;
  }
  constexpr std::int64_t kNs = 1'000'000'000;
  stamp.exists = true;
  stamp.device = st.st_dev;
  stamp.inode = st.st_ino;
  stamp.size = static_cast<std::uint64_t>(st.st_size);
  stamp.modified = std::int64_t{st.st_mtim.tv_sec} * kNs + st.st_mtim.tv_nsec;
  stamp.changed = std::int64_t{st.st_ctim.tv_sec} * kNs + st.st_ctim.tv_nsec;
  return stamp;
}

}  // namespace kelvo::platform
