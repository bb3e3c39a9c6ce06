// Counts rows as files: each file once however many rows list it, per kind (the rule or location
// that listed it), per disk and in all, with its length, what it takes on its disk and what
// deleting every listed row would free. Rows come and go one at a time (a scan adds them, a
// deletion or a withdrawal takes them away), so every count is kept up to date as they do.
#pragma once

#include <cstdint>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/native_string.h"
#include "scan/junk_item.h"

namespace kelvo::scan {

// What the tally needs of a row.
struct TallyRow {
  int rule = 0;
  bool emptyFolder = false;
  bool identified = false;  // device and inode known: only then can two rows be one file
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  std::uint64_t bytes = 0;
  std::uint64_t bytesOnDisk = 0;
  std::uint32_t links = 1;
  std::uint64_t pathHash = 0;  // tells the names of a hard-linked file apart
  NativeStringView root;       // the scan root, to name the row's disk
};

TallyRow TallyRowOf(const JunkItem& item);

struct TallyCounts {
  std::uint64_t files = 0;
  std::uint64_t bytes = 0;
  std::uint64_t bytesOnDisk = 0;
  bool operator==(const TallyCounts&) const = default;
};

// A kind of junk: a rule (an empty folder counts apart from a zero-byte file) or a location.
struct TallyKind {
  int rule = 0;
  bool emptyFolder = false;
  std::string_view Name() const;  // the rule's short name, as the programs print it
};

class JunkTally {
 public:
  void Add(const TallyRow& row);
  // Takes away a row added before (the same values).
  void Remove(const TallyRow& row);
  void Clear();

  struct KindLine {
    TallyKind kind;
    TallyCounts counts;
  };
  struct DiskLine {
    std::uint64_t device = 0;
    NativeString root;  // the shortest scan root that reached the disk
    TallyCounts counts;
  };
  // Each sorted by bytes on disk, the largest first; kinds and disks without files left out.
  std::vector<KindLine> Kinds() const;
  std::vector<DiskLine> Disks() const;
  const TallyCounts& Total() const { return total_; }
  // Bytes on disk that deleting every listed row would free: a file with more names than the rows
  // list keeps its blocks.
  std::uint64_t Freeable() const { return freeable_; }

 private:
  struct FileKey {
    std::uint64_t device;
    std::uint64_t inode;
    bool operator==(const FileKey&) const = default;
  };
  struct FileKeyHash {
    std::size_t operator()(const FileKey& k) const {
      return std::hash<std::uint64_t>()(k.inode * 0x9E3779B97F4A7C15ull ^ k.device);
    }
  };
  // One row of a file listed more than once.
  struct Mark {
    int kind;
    std::uint64_t pathHash;
  };
  struct File {
    std::uint64_t bytes = 0;
    std::uint64_t bytesOnDisk = 0;
    std::uint32_t links = 1;
    std::uint32_t rows = 0;
    int kind = 0;                // of the only row, while there is one
    std::uint64_t pathHash = 0;  // of the only row, while there is one
  };
  struct Disk {
    NativeString root;
    TallyCounts counts;
  };

  static int KindIndex(int rule, bool emptyFolder) { return rule * 2 + (emptyFolder ? 1 : 0); }
  TallyCounts& KindCounts(int kind);
  void Count(TallyCounts& counts, const File& file, int sign);
  // Whether the file's blocks go when its listed rows go.
  bool Frees(const File& file, const std::vector<Mark>* marks) const;
  static bool ListsKind(const std::vector<Mark>& marks, int kind);

  std::unordered_map<FileKey, File, FileKeyHash> files_;
  std::unordered_map<FileKey, std::vector<Mark>, FileKeyHash> repeated_;  // files of several rows
  std::vector<TallyCounts> kinds_;                                        // by KindIndex
  std::unordered_map<std::uint64_t, Disk> disks_;
  TallyCounts total_;
  std::uint64_t freeable_ = 0;
};

}  // namespace kelvo::scan
