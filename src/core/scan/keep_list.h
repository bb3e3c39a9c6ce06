// The keep-list: folders and patterns the user never wants touched. A kept folder is not entered
// by a scan, a kept entry is never a row, and a deletion checks the list again.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "platform/native_string.h"
#include "text/glob.h"

namespace kelvo::scan {

class KeepList {
 public:
  KeepList() = default;
  KeepList(const KeepList& other);
  KeepList& operator=(const KeepList& other);

  // A folder (absolute, canonical): it and everything below it are kept.
  void AddFolder(NativeStringView folder);
  // A glob pattern matched against an entry's full path ("*", "?", "[...]", "**" across folders;
  // without case on Windows). A pattern that does not start at the top of the file system (a
  // drive on Windows) matches at any depth: "*.iso" keeps every .iso file, "build/*.o" every
  // object file in any folder named build.
  void AddPattern(NativeStringView pattern);

  // The identity of a kept folder as it lies on disk, so that a second path to it (a bind mount,
  // a link the scan was started through) is kept too.
  void AddFolderIdentity(std::uint64_t device, std::uint64_t inode);
  bool KeepsFolder(std::uint64_t device, std::uint64_t inode) const;
  bool KeepsAnyFolderIdentity() const { return !folderIds_.empty(); }
  const std::vector<NativeString>& Folders() const { return folders_; }

  // Everything other keeps, kept here too.
  void Add(const KeepList& other);

  bool empty() const { return folders_.empty() && patterns_.empty(); }

  // Whether the entry at path itself is kept (path without a trailing separator).
  bool Keeps(NativeStringView path) const;
  // Whether the entry at path, or a folder above it, is kept.
  bool Covers(NativeStringView path) const;

  // What a scan held back because of the list: kept folders not entered, kept entries not shown.
  void CountHeldBack() const { heldBack_.fetch_add(1, std::memory_order_relaxed); }
  std::size_t HeldBack() const { return heldBack_.load(std::memory_order_relaxed); }

 private:
  std::vector<NativeString> folders_;  // each ending with the separator
  std::vector<std::pair<std::uint64_t, std::uint64_t>> folderIds_;  // device, inode
  std::vector<text::GlobPattern<NativeChar>> patterns_;
  mutable std::atomic<std::size_t> heldBack_{0};
};

}  // namespace kelvo::scan
