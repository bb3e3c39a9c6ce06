#include <arpa/inet.h>
#include <dirent.h>
#include <fcntl.h>
#include <ifaddrs.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <vector>

#include "platform/posix/unique_fd.h"
#include "platform/process_probe.h"

namespace kelvo::platform {

std::optional<std::string> ReadLinkText(const NativeString& path) {
  std::vector<char> buffer(256);
  for (;;) {
    const ssize_t n = ::readlink(path.c_str(), buffer.data(), buffer.size());
    if (n < 0) return std::nullopt;
    if (static_cast<std::size_t>(n) < buffer.size())
      return std::string(buffer.data(), static_cast<std::size_t>(n));
    buffer.resize(buffer.size() * 2);
  }
}

std::string HostName() {
  char name[HOST_NAME_MAX + 1] = {};
  if (::gethostname(name, sizeof name - 1) != 0) return {};
  return name;
}

bool ProcessRuns(long long pid) {
  if (pid <= 0 || pid > INT_MAX) return false;
  // Signal 0 only asks; EPERM means the process is there but belongs to someone else.
  return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

bool FileLockHeld(const NativeString& path) {
  UniqueFd fd(::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
  if (!fd) return false;
  struct flock probe {};
  probe.l_type = F_WRLCK;
  probe.l_whence = SEEK_SET;
  return ::fcntl(fd.get(), F_GETLK, &probe) == 0 && probe.l_type != F_UNLCK;
}

bool EntryExists(const NativeString& path) {
  struct stat st;
  return ::lstat(path.c_str(), &st) == 0;
}

bool IsOwnAddress(std::string_view address) {
  const std::string text(address);
  in_addr v4{};
  in6_addr v6{};
  const bool isV4 = ::inet_pton(AF_INET, text.c_str(), &v4) == 1;
  const bool isV6 = !isV4 && ::inet_pton(AF_INET6, text.c_str(), &v6) == 1;
  if (!isV4 && !isV6) return false;
  if (isV4 && (ntohl(v4.s_addr) >> 24) == 127) return true;
  if (isV6 && IN6_IS_ADDR_LOOPBACK(&v6)) return true;
  ifaddrs* list = nullptr;
  if (::getifaddrs(&list) != 0) return false;
  bool own = false;
  for (const ifaddrs* a = list; a && !own; a = a->ifa_next) {
    if (!a->ifa_addr) continue;
    if (isV4 && a->ifa_addr->sa_family == AF_INET)
      own = std::memcmp(&reinterpret_cast<const sockaddr_in*>(a->ifa_addr)->sin_addr, &v4,
                        sizeof v4) == 0;
    if (isV6 && a->ifa_addr->sa_family == AF_INET6)
      own = std::memcmp(&reinterpret_cast<const sockaddr_in6*>(a->ifa_addr)->sin6_addr, &v6,
                        sizeof v6) == 0;
  }
  ::freeifaddrs(list);
  return own;
}

std::optional<EntryOwner> OwnerOf(const NativeString& path) {
  struct stat st;
  if (::lstat(path.c_str(), &st) != 0) return std::nullopt;
  EntryOwner owner;
  owner.user = st.st_uid;
  owner.directory = S_ISDIR(st.st_mode);
  owner.link = S_ISLNK(st.st_mode);
  owner.sticky = (st.st_mode & S_ISVTX) != 0;
  return owner;
}

std::uint32_t EffectiveUserId() {
  return ::geteuid();
}

std::string ReadFileStart(const NativeString& path, std::size_t bytes) {
  UniqueFd fd(::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
  struct stat st;
  if (!fd || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) return {};
  std::string text(bytes, '\0');
  const ssize_t n = ::read(fd.get(), text.data(), bytes);
  text.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
  return text;
}

std::vector<std::pair<std::uint64_t, std::uint64_t>> OpenFileIds() {
  std::vector<std::pair<std::uint64_t, std::uint64_t>> ids;
  DIR* processes = ::opendir("/proc");
  if (!processes) return ids;
  while (const dirent* p = ::readdir(processes)) {
    if (p->d_name[0] < '1' || p->d_name[0] > '9') continue;
    const std::string fds = std::string("/proc/") + p->d_name + "/fd";
    DIR* open = ::opendir(fds.c_str());
    if (!open) continue;
    while (const dirent* f = ::readdir(open)) {
      if (f->d_name[0] == '.') continue;
      struct stat st;
      // The descriptor's link leads to the open file itself, wherever it lies.
      if (::stat((fds + "/" + f->d_name).c_str(), &st) == 0 && S_ISREG(st.st_mode))
        ids.emplace_back(st.st_dev, st.st_ino);
    }
    ::closedir(open);
  }
  ::closedir(processes);
  return ids;
}

}  // namespace kelvo::platform
