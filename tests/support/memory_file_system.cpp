#include "support/memory_file_system.h"

#include <thread>

namespace kelvo::testing {
namespace {

std::uint64_t NextInode() {
  static std::uint64_t next = 100;
  return ++next;
}

std::uint32_t BaseAttributes(platform::EntryType type) {
  switch (type) {
    case platform::EntryType::kDirectory:
      return platform::attr::kDirectory;
    case platform::EntryType::kSymlink:
      return platform::attr::kReparsePoint;
    default:
      return platform::attr::kNormal;
  }
}

class MemoryDirectory final : public platform::Directory {
 public:
  MemoryDirectory(MemoryNode& node, MemoryFileSystem& fs) : node_(node), fs_(fs) {}

  std::error_code List(platform::Listing& out) override {
    out.Clear();
    ++fs_.listCalls;
    if (node_.listDelay.count()) std::this_thread::sleep_for(node_.listDelay);
    if (node_.failList) return std::make_error_code(std::errc::permission_denied);
    for (const auto& child : node_.children) {
      const bool partial =
          fs_.partialFolderAttributes && child->type == platform::EntryType::kDirectory;
      std::uint32_t attributes = child->attributes;
      if (partial) attributes &= platform::attr::kDirectory | platform::attr::kHidden;
      out.Add(child->name, child->type, attributes, !partial);
    }
    return {};
  }

  std::error_code Stat(const NativeChar* name, platform::EntryStat& out) override {
    MemoryNode* child = node_.Find(name);
    if (!child) return std::make_error_code(std::errc::no_such_file_or_directory);
    if (child->failStat) return std::make_error_code(std::errc::permission_denied);
    out.type = child->type;
    out.attributes = child->attributes;
    out.size = child->size;
    out.allocated = child->size;
    out.device = child->device;
    out.inode = child->inode;
    return {};
  }

  std::unique_ptr<platform::Directory> OpenChild(const NativeChar* name,
                                                 std::error_code& ec) override {
    MemoryNode* child = node_.Find(name);
    if (!child) {
      ec = std::make_error_code(std::errc::no_such_file_or_directory);
      return nullptr;
    }
    ++child->opens;
    if (child->type != platform::EntryType::kDirectory) {
      ec = std::make_error_code(std::errc::not_a_directory);
      return nullptr;
    }
    if (child->failOpen) {
      ec = std::make_error_code(std::errc::permission_denied);
      return nullptr;
    }
    ec.clear();
    return std::make_unique<MemoryDirectory>(*child, fs_);
  }

  std::uint64_t Device() const override { return node_.device; }
  std::uint64_t Inode() const override { return node_.inode; }

 private:
  MemoryNode& node_;
  MemoryFileSystem& fs_;
};

}  // namespace

MemoryNode::MemoryNode(std::string name_, platform::EntryType type_, std::uint32_t attributes_,
                       std::uint64_t size_, std::uint64_t device_, std::uint64_t inode_)
    : name(std::move(name_)),
      type(type_),
      attributes(attributes_),
      size(size_),
      device(device_),
      inode(inode_) {}

MemoryNode& MemoryNode::Add(std::unique_ptr<MemoryNode> node) {
  children.push_back(std::move(node));
  return *children.back();
}

MemoryNode& MemoryNode::AddFolder(const std::string& n, std::uint32_t extra) {
  std::uint32_t a = BaseAttributes(platform::EntryType::kDirectory) | extra;
  return Add(
      std::make_unique<MemoryNode>(n, platform::EntryType::kDirectory, a, 0, device, NextInode()));
}

MemoryNode& MemoryNode::AddFile(const std::string& n, std::uint64_t s, std::uint32_t extra) {
  std::uint32_t a = extra ? extra : BaseAttributes(platform::EntryType::kFile);
  return Add(
      std::make_unique<MemoryNode>(n, platform::EntryType::kFile, a, s, device, NextInode()));
}

MemoryNode& MemoryNode::AddSymlink(const std::string& n) {
  return Add(std::make_unique<MemoryNode>(n, platform::EntryType::kSymlink,
                                          BaseAttributes(platform::EntryType::kSymlink), 8, device,
                                          NextInode()));
}

MemoryNode* MemoryNode::Find(const std::string& n) {
  for (auto& child : children)
    if (child->name == n) return child.get();
  return nullptr;
}

MemoryNode& MemoryFileSystem::AddRoot(const std::string& path, std::uint64_t device) {
  auto node = std::make_unique<MemoryNode>(path, platform::EntryType::kDirectory,
                                           platform::attr::kDirectory, 0, device, NextInode());
  MemoryNode& ref = *node;
  roots_[path] = std::move(node);
  return ref;
}

std::unique_ptr<platform::Directory> MemoryFileSystem::OpenDirectory(const NativeString& path,
                                                                     std::error_code& ec) {
  auto it = roots_.find(path);
  if (it == roots_.end() || it->second->failOpen) {
    ec = std::make_error_code(it == roots_.end() ? std::errc::no_such_file_or_directory
                                                 : std::errc::permission_denied);
    return nullptr;
  }
  ec.clear();
  return std::make_unique<MemoryDirectory>(*it->second, *this);
}

}  // namespace kelvo::testing
