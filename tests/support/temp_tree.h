// A real directory tree in a fresh temporary folder, removed with everything in it at the end
// (read-only entries and chains deeper than the path limit included; links are removed, never
// followed). One interface for every platform; each platform's part (support/posix/,
// support/win32/) is chosen by the build, and the operations only one platform has are grouped
// below by platform.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/native_string.h"

namespace kelvo::testing {

class TempTree {
 public:
  TempTree();
  ~TempTree();
  TempTree(const TempTree&) = delete;
  TempTree& operator=(const TempTree&) = delete;

  // Absolute path of the root, ending with the separator. On Windows it lies outside the
  // temporary folder, whose own name ("Temp") would make every entry a temp-folder hit.
  const NativeString& root() const { return root_; }
  std::string RootUtf8() const { return NativeToUtf8(root_); }
  // relative is UTF-8 with "/" (on Windows also "\") between components.
  NativeString Path(std::string_view relative) const;
  std::string PathUtf8(std::string_view relative) const { return NativeToUtf8(Path(relative)); }

  // Parents are created as needed.
  void Dir(std::string_view relative);
  void File(std::string_view relative, std::string_view content = "x");

  // POSIX only.
  void Dir(std::string_view relative, unsigned mode);
  void File(std::string_view relative, std::string_view content, unsigned mode);
  void Symlink(std::string_view target, std::string_view relative);
  void Chmod(std::string_view relative, unsigned mode);
  // A chain of depth folders named component below relative, built with descriptors so that it
  // may exceed PATH_MAX; a file named leafFile is made in the deepest folder when given.
  void DeepChain(std::string_view relative, int depth, std::string_view component,
                 std::string_view leafFile = "");

  // Windows only.
  // A file of the given length without writing its bytes (sparse where the file system can).
  void SizedFile(std::string_view relative, std::uint64_t length);
  void SetAttributes(std::string_view relative, std::uint32_t attributes);
  std::uint32_t Attributes(std::string_view relative) const;
  // A link named relative to the folder target: a junction, else a symbolic link, else (under
  // Wine, which cannot make either) a symbolic link of the host. False when none could be made.
  bool DirectoryLink(std::string_view target, std::string_view relative);

 private:
  NativeString root_;
};

// Removes a tree without following links, whatever its depth and permissions or attributes.
void RemoveTree(const NativeString& path);

// Whether an entry of that name exists; a symbolic link counts as itself, never its target.
bool Exists(const NativeString& path);

// Windows only: the long form of a path ("\\?\" prefix) for calls on deep trees, and whether the
// tests run under Wine.
NativeString LongForm(const NativeString& path);
bool RunningUnderWine();

}  // namespace kelvo::testing
