// An in-memory file system behind the platform interface: trees with exact attributes, listing
// order, devices and injected failures, for testing the walk without touching a disk. Safe to read
// from several threads while the tree is not changed.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/file_system.h"

namespace kelvo::testing {

class MemoryNode {
 public:
  MemoryNode(std::string name, platform::EntryType type, std::uint32_t attributes,
             std::uint64_t size, std::uint64_t device, std::uint64_t inode);

  // Children keep the order in which they are added: that is the listing order.
  MemoryNode& AddFolder(const std::string& name, std::uint32_t extraAttributes = 0);
  MemoryNode& AddFile(const std::string& name, std::uint64_t size = 1,
                      std::uint32_t extraAttributes = 0);
  MemoryNode& AddSymlink(const std::string& name);
  MemoryNode* Find(const std::string& name);

  std::string name;
  platform::EntryType type;
  std::uint32_t attributes;
  std::uint64_t size;
  std::uint64_t device;
  std::uint64_t inode;
  bool failList = false;                   // listing fails with EACCES
  bool failOpen = false;                   // opening fails with EACCES
  bool failStat = false;                   // examining the entry fails
  std::chrono::microseconds listDelay{0};  // a slow disk: listing waits this long
  std::atomic<int> opens{0};               // attempts to open it as a folder (from any thread)
  std::vector<std::unique_ptr<MemoryNode>> children;

 private:
  MemoryNode& Add(std::unique_ptr<MemoryNode> node);
};

class MemoryFileSystem final : public platform::FileSystem {
 public:
  // A root reached by its exact path (ending with the separator).
  MemoryNode& AddRoot(const std::string& path, std::uint64_t device = 1);

  std::unique_ptr<platform::Directory> OpenDirectory(const NativeString& path,
                                                     std::error_code& ec) override;

  std::atomic<int> listCalls = 0;  // how many folders were listed (from any thread)
  // Like POSIX: a listing tells a folder's type but not its read-only bit.
  bool partialFolderAttributes = false;

 private:
  std::map<std::string, std::unique_ptr<MemoryNode>> roots_;
};

}  // namespace kelvo::testing
