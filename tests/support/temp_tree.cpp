#include "support/temp_tree.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <stdexcept>
#include <vector>

namespace kelvo::testing {
namespace {

void Check(bool ok, const std::string& what) {
  if (!ok) throw std::runtime_error(what);
}

void RemoveAt(int parentFd, const char* name) {
  struct stat st;
  if (::fstatat(parentFd, name, &st, AT_SYMLINK_NOFOLLOW) != 0) return;
  if (!S_ISDIR(st.st_mode)) {
    ::unlinkat(parentFd, name, 0);
    return;
  }
  ::fchmodat(parentFd, name, 0700, 0);
  int fd = ::openat(parentFd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd >= 0) {
    DIR* dir = ::fdopendir(fd);
    std::vector<std::string> names;
    while (dirent* d = ::readdir(dir)) {
      std::string n = d->d_name;
      if (n != "." && n != "..") names.push_back(n);
    }
    for (const auto& n : names) RemoveAt(::dirfd(dir), n.c_str());
    ::closedir(dir);
  }
  ::unlinkat(parentFd, name, AT_REMOVEDIR);
}

}  // namespace

void RemoveTree(const std::string& path) {
  RemoveAt(AT_FDCWD, path.c_str());
}

TempTree::TempTree() {
  const char* base = std::getenv("TMPDIR");
  std::string pattern = std::string(base && *base ? base : "/tmp") + "/kelvo-test-XXXXXX";
  Check(::mkdtemp(pattern.data()) != nullptr, "mkdtemp");
  root_ = pattern + "/";
}

TempTree::~TempTree() {
  std::string path = root_.substr(0, root_.size() - 1);
  RemoveTree(path);
}

void TempTree::Dir(const std::string& relative, mode_t mode) {
  std::string path = root_;
  std::size_t start = 0;
  while (start < relative.size()) {
    std::size_t slash = relative.find('/', start);
    if (slash == std::string::npos) slash = relative.size();
    path = root_ + relative.substr(0, slash);
    bool last = slash >= relative.size() - 1;
    if (::mkdir(path.c_str(), last ? mode : 0755) != 0 && errno != EEXIST)
      Check(false, "mkdir " + path);
    if (last) ::chmod(path.c_str(), mode);
    start = slash + 1;
  }
}

void TempTree::File(const std::string& relative, const std::string& content, mode_t mode) {
  auto slash = relative.rfind('/');
  if (slash != std::string::npos) Dir(relative.substr(0, slash));
  std::string path = root_ + relative;
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  Check(fd >= 0, "create " + path);
  Check(::write(fd, content.data(), content.size()) == static_cast<ssize_t>(content.size()),
        "write " + path);
  ::close(fd);
  ::chmod(path.c_str(), mode);
}

void TempTree::Symlink(const std::string& target, const std::string& relative) {
  auto slash = relative.rfind('/');
  if (slash != std::string::npos) Dir(relative.substr(0, slash));
  Check(::symlink(target.c_str(), (root_ + relative).c_str()) == 0, "symlink " + relative);
}

void TempTree::Chmod(const std::string& relative, mode_t mode) {
  Check(::chmod((root_ + relative).c_str(), mode) == 0, "chmod " + relative);
}

void TempTree::DeepChain(const std::string& relative, int depth, const std::string& component,
                         const std::string& leafFile) {
  Dir(relative);
  int fd = ::open((root_ + relative).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  Check(fd >= 0, "open " + relative);
  for (int i = 0; i < depth; ++i) {
    Check(::mkdirat(fd, component.c_str(), 0755) == 0 || errno == EEXIST, "mkdirat");
    int next = ::openat(fd, component.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ::close(fd);
    Check(next >= 0, "openat");
    fd = next;
  }
  if (!leafFile.empty()) {
    int f = ::openat(fd, leafFile.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    Check(f >= 0, "create leaf");
    ::close(f);
  }
  ::close(fd);
}

bool Exists(const std::string& path) {
  struct stat st;
  return ::lstat(path.c_str(), &st) == 0;
}

}  // namespace kelvo::testing
