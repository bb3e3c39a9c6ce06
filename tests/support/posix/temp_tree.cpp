#include "support/temp_tree.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
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

void RemoveTree(const NativeString& path) {
  RemoveAt(AT_FDCWD, path.c_str());
}

TempTree::TempTree() {
  const char* base = std::getenv("TMPDIR");
  std::string pattern = std::string(base && *base ? base : "/tmp") + "/kelvo-test-XXXXXX";
  Check(::mkdtemp(pattern.data()) != nullptr, "mkdtemp");
  root_ = pattern + "/";
}

TempTree::~TempTree() {
  RemoveTree(root_.substr(0, root_.size() - 1));
}

NativeString TempTree::Path(std::string_view relative) const {
  return root_ + std::string(relative);
}

void TempTree::Dir(std::string_view relative) {
  Dir(relative, 0755);
}

void TempTree::Dir(std::string_view relative, unsigned mode) {
  std::size_t start = 0;
  while (start < relative.size()) {
    std::size_t slash = relative.find('/', start);
    if (slash == std::string_view::npos) slash = relative.size();
    const std::string path = Path(relative.substr(0, slash));
    const bool last = slash >= relative.size() - 1;
    if (::mkdir(path.c_str(), last ? mode : 0755) != 0 && errno != EEXIST)
      Check(false, "mkdir " + path);
    if (last) ::chmod(path.c_str(), mode);
    start = slash + 1;
  }
}

void TempTree::File(std::string_view relative, std::string_view content) {
  File(relative, content, 0644);
}

void TempTree::File(std::string_view relative, std::string_view content, unsigned mode) {
  auto slash = relative.rfind('/');
  if (slash != std::string_view::npos) Dir(relative.substr(0, slash));
  const std::string path = Path(relative);
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  Check(fd >= 0, "create " + path);
  Check(::write(fd, content.data(), content.size()) == static_cast<ssize_t>(content.size()),
        "write " + path);
  ::close(fd);
  ::chmod(path.c_str(), mode);
}

void TempTree::Symlink(std::string_view target, std::string_view relative) {
  auto slash = relative.rfind('/');
  if (slash != std::string_view::npos) Dir(relative.substr(0, slash));
  Check(::symlink(std::string(target).c_str(), Path(relative).c_str()) == 0,
        "symlink " + std::string(relative));
}

void TempTree::Chmod(std::string_view relative, unsigned mode) {
  Check(::chmod(Path(relative).c_str(), mode) == 0, "chmod " + std::string(relative));
}

void TempTree::DeepChain(std::string_view relative, int depth, std::string_view component,
                         std::string_view leafFile) {
  Dir(relative);
  int fd = ::open(Path(relative).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  Check(fd >= 0, "open " + std::string(relative));
  const std::string name(component);
  for (int i = 0; i < depth; ++i) {
    Check(::mkdirat(fd, name.c_str(), 0755) == 0 || errno == EEXIST, "mkdirat");
    int next = ::openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ::close(fd);
    Check(next >= 0, "openat");
    fd = next;
  }
  if (!leafFile.empty()) {
    int f = ::openat(fd, std::string(leafFile).c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    Check(f >= 0, "create leaf");
    ::close(f);
  }
  ::close(fd);
}

bool Exists(const NativeString& path) {
  struct stat st;
  return ::lstat(path.c_str(), &st) == 0;
}

}  // namespace kelvo::testing
