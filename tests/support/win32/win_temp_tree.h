// A real directory tree for the Windows tests, in a fresh folder that is removed with everything in
// it at the end (read-only entries included; links are removed, never followed).
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/native_string.h"

namespace kelvo::testing {

class WinTempTree {
 public:
  WinTempTree();
  ~WinTempTree();
  WinTempTree(const WinTempTree&) = delete;
  WinTempTree& operator=(const WinTempTree&) = delete;

  // Absolute path of the root, ending with "\". It lies outside the temporary folder, whose own
  // name ("Temp") would make every entry a temp-folder hit.
  const NativeString& root() const { return root_; }
  std::string RootUtf8() const { return NativeToUtf8(root_); }
  // relative is UTF-8 with "/" or "\" between components.
  NativeString Path(std::string_view relative) const;
  std::string PathUtf8(std::string_view relative) const { return NativeToUtf8(Path(relative)); }

  // Parents are created as needed.
  void Dir(std::string_view relative);
  void File(std::string_view relative, std::string_view content = "x");
  // A file of the given length without writing its bytes (sparse where the file system can).
  void SizedFile(std::string_view relative, std::uint64_t length);
  void SetAttributes(std::string_view relative, DWORD attributes);
  DWORD Attributes(std::string_view relative) const;

  // A link named relative to the folder target: a junction, else a symbolic link, else (under Wine,
  // which cannot make either) a symbolic link of the host. False when none could be made.
  bool DirectoryLink(std::string_view target, std::string_view relative);

 private:
  NativeString root_;
};

// The long form of a path ("\\?\" prefix) for calls on deep trees.
NativeString LongForm(const NativeString& path);

// Removes a tree without following links, whatever its depth and attributes.
void RemoveTree(const NativeString& path);

// True when the tests run under Wine.
bool RunningUnderWine();

}  // namespace kelvo::testing
