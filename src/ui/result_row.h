// One row of the results list as the window keeps it: its path as a reference into the list's
// shared path blocks, and the type label, scan root and disk as indexes into tables shared by all
// rows, so that a row costs 72 bytes besides its path's units (and those only once for a file
// listed by several rules in a row).
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "path_arena.h"
#include "platform/native_string.h"
#include "scan/junk_item.h"

namespace kelvo::ui {

struct ResultRow {
  std::uint64_t size = 0;
  std::uint64_t bytesOnDisk = 0;
  std::uint64_t inode = 0;
  std::int64_t modified = 0;  // with kHasModified
  std::int64_t born = 0;      // with kHasBorn
  PathArena::Ref path = 0;
  std::uint32_t pathLength = 0;
  std::uint32_t labelIndex = 0;
  std::uint32_t deviceIndex = 0;  // into the list's disks, with kHasIdentity
  // The next row of the same file (this one when it is the only one): the rows of a file form a
  // ring, which is all the tally of files needs besides a table of one row per file.
  std::uint32_t nextOfFile = 0;
  std::uint16_t nameLength = 0;  // the file name is the path's tail of this many units
  std::uint16_t rootIndex = 0;
  std::uint16_t links = 1;  // the file's names, up to 65535 (more counts as that many)
  std::uint8_t rule = 0;
  std::uint8_t type = 0;  // platform::EntryType
  std::uint8_t flags = 0;

  static constexpr std::uint8_t kHasSize = 1;
  static constexpr std::uint8_t kHasIdentity = 2;
  static constexpr std::uint8_t kEmptyFolder = 4;
  static constexpr std::uint8_t kChecked = 8;
  static constexpr std::uint8_t kHasModified = 16;
  static constexpr std::uint8_t kHasBorn = 32;
  static constexpr std::uint8_t kNeedsAdmin = 64;  // only an administrator could remove it
  static constexpr std::uint8_t kFileHead = 128;   // the row the tally's table holds for its file

  bool Has(std::uint8_t flag) const { return (flags & flag) != 0; }
  void Set(std::uint8_t flag, bool on) {
    flags = static_cast<std::uint8_t>(on ? flags | flag : flags & ~flag);
  }
};

// A row on its way from the scan to the list, with the texts and the disk the list numbers.
struct FoundRow {
  ResultRow row;
  NativeString fullPath;
  std::uint64_t device = 0;  // with kHasIdentity
};

// Rows on their way from the scan to the list, with the label and root texts first seen since the
// previous batch (appended to the list's tables in the same order as they were numbered).
struct RowBatch {
  std::vector<FoundRow> rows;
  std::vector<NativeString> newLabels;
  std::vector<NativeString> newRoots;
  bool empty() const { return rows.empty() && newLabels.empty() && newRoots.empty(); }
};

// Numbers texts in order of first appearance; used by the scan side only.
class TextNumbering {
 public:
  // The text's number; a new text is also appended to fresh.
  std::uint32_t Number(const NativeString& text, std::vector<NativeString>& fresh);

 private:
  std::unordered_map<NativeString, std::uint32_t> numbers_;
};

// Turns a found item into a row, numbering its label and root.
FoundRow MakeRow(scan::JunkItem&& item, TextNumbering& labels, TextNumbering& roots,
                 RowBatch& batch);

// The item a row stands for, as the deletion service wants it.
scan::JunkItem ToJunkItem(const ResultRow& row, NativeStringView path, std::uint64_t device,
                          const std::vector<NativeString>& labels,
                          const std::vector<NativeString>& roots);

}  // namespace kelvo::ui
