// A real directory tree in a fresh temporary folder, removed with everything in it at the end (also
// read-only folders and chains deeper than PATH_MAX).
#pragma once

#include <sys/types.h>

#include <string>

namespace kelvo::testing {

class TempTree {
 public:
  TempTree();
  ~TempTree();
  TempTree(const TempTree&) = delete;
  TempTree& operator=(const TempTree&) = delete;

  // Absolute path of the root, ending with "/".
  const std::string& root() const { return root_; }
  std::string Path(const std::string& relative) const { return root_ + relative; }

  // Relative paths; parents are created as needed.
  void Dir(const std::string& relative, mode_t mode = 0755);
  void File(const std::string& relative, const std::string& content = "x", mode_t mode = 0644);
  void Symlink(const std::string& target, const std::string& relative);
  void Chmod(const std::string& relative, mode_t mode);
  // A chain of depth folders named component below relative, built with descriptors so that it may
  // exceed PATH_MAX; a file named leafFile is made in the deepest folder when given.
  void DeepChain(const std::string& relative, int depth, const std::string& component,
                 const std::string& leafFile = "");

 private:
  std::string root_;
};

// Removes a tree without following links, whatever its depth and permissions.
void RemoveTree(const std::string& path);

// Whether an entry of that name exists; a symbolic link counts as itself, never its target.
bool Exists(const std::string& path);

}  // namespace kelvo::testing
