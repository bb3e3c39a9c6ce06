// The file-system service that the scan walks: directories opened relative to their parent, listed
// in one batch, and entries examined without following symbolic links or reparse points.
#pragma once

#include <cstdint>
#include <memory>
#include <system_error>
#include <vector>

#include "platform/native_string.h"

namespace kelvo::platform {

enum class EntryType : std::uint8_t { kUnknown, kFile, kDirectory, kSymlink, kOther };

// Attribute bits in the Windows layout; the POSIX back end maps its modes onto them.
namespace attr {
inline constexpr std::uint32_t kReadOnly = 0x01;
inline constexpr std::uint32_t kHidden = 0x02;
inline constexpr std::uint32_t kSystem = 0x04;
inline constexpr std::uint32_t kDirectory = 0x10;
inline constexpr std::uint32_t kArchive = 0x20;
inline constexpr std::uint32_t kNormal = 0x80;
inline constexpr std::uint32_t kReparsePoint = 0x400;
inline constexpr std::uint32_t kQueryFailed = 0xFFFFFFFF;
}  // namespace attr

struct EntryStat {
  EntryType type = EntryType::kUnknown;
  std::uint32_t attributes = 0;
  std::uint64_t size = 0;
  // What the entry takes on its disk (allocated blocks): more than size for a small file, less
  // for a sparse one. Where the platform cannot tell, the length.
  std::uint64_t allocated = 0;
  std::uint32_t links = 1;  // names the file has on its disk
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  std::int64_t modified = 0;  // last write, nanoseconds since 1970
  std::int64_t born = 0;      // creation, nanoseconds since 1970, when bornKnown
  bool bornKnown = false;
};

// The entries of one directory, "." and ".." left out, in the order the platform returned them.
// Names are packed into one buffer, each followed by a NUL, so a listing costs two allocations.
class Listing {
 public:
  struct Entry {
    std::uint32_t offset = 0;
    std::uint32_t length = 0;
    EntryType type = EntryType::kUnknown;
    // What the listing itself tells; complete on Windows, partial on POSIX where a directory's
    // read-only bit needs a stat.
    std::uint32_t attributes = 0;
    bool attributesComplete = true;
  };

  void Clear() {
    names_.clear();
    entries_.clear();
  }
  void Add(NativeStringView name, EntryType type, std::uint32_t attributes,
           bool attributesComplete = true);

  const std::vector<Entry>& entries() const { return entries_; }
  std::size_t size() const { return entries_.size(); }
  bool empty() const { return entries_.empty(); }
  NativeStringView Name(const Entry& e) const { return {names_.data() + e.offset, e.length}; }
  // NUL-terminated, for the platform calls.
  const NativeChar* CName(const Entry& e) const { return names_.data() + e.offset; }

 private:
  NativeString names_;
  std::vector<Entry> entries_;
};

class Directory {
 public:
  virtual ~Directory() = default;

  [[nodiscard]] virtual std::error_code List(Listing& out) = 0;
  // Examines an entry of this directory; a symbolic link is examined, never followed.
  [[nodiscard]] virtual std::error_code Stat(const NativeChar* name, EntryStat& out) = 0;
  // Opens a sub-directory; fails when the entry is a symbolic link or reparse point.
  virtual std::unique_ptr<Directory> OpenChild(const NativeChar* name, std::error_code& ec) = 0;

  virtual std::uint64_t Device() const = 0;
  virtual std::uint64_t Inode() const = 0;
  // The mount the directory lies on; unlike the device this tells a bind mount of the same file
  // system from its source. 0 when the platform cannot tell (the device alone then decides).
  virtual std::uint64_t MountId() const { return 0; }
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;
  // Opens a directory by its full path (a scan root).
  virtual std::unique_ptr<Directory> OpenDirectory(const NativeString& path,
                                                   std::error_code& ec) = 0;
  // The folder a scan root names, as its canonical absolute path ending with the separator: no
  // ".", "..", doubled separator or symbolic link left, so that what is matched against the path
  // is what lies on disk. Fails when the root is missing or not a folder.
  [[nodiscard]] virtual std::error_code ResolveRoot(NativeStringView root,
                                                    NativeString& canonical) {
    canonical.assign(root);
    return {};
  }
};

// The operating system's file system.
FileSystem& NativeFileSystem();

}  // namespace kelvo::platform
