// One row of the results list as the window keeps it: the full path with its name's offset, and the
// type label and scan root as indexes into tables shared by all rows, so that a row costs little
// more than its path's bytes.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/native_string.h"
#include "scan/junk_item.h"
#include "scan/junk_tally.h"

namespace kelvo::ui {

struct ResultRow {
  NativeString fullPath;
  std::uint64_t size = 0;
  std::uint64_t bytesOnDisk = 0;
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  std::int64_t modified = 0;     // with kHasModified
  std::int64_t born = 0;         // with kHasBorn
  std::uint32_t nameOffset = 0;  // the file name is fullPath from here on
  std::uint32_t labelIndex = 0;
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

  bool Has(std::uint8_t flag) const { return (flags & flag) != 0; }
  void Set(std::uint8_t flag, bool on) {
    flags = static_cast<std::uint8_t>(on ? flags | flag : flags & ~flag);
  }
  NativeStringView FileName() const { return NativeStringView(fullPath).substr(nameOffset); }
};

// What the tally of files needs of a row.
scan::TallyRow TallyRowOf(const ResultRow& row, NativeStringView root);

// Rows on their way from the scan to the list, with the label and root texts first seen since the
// previous batch (appended to the list's tables in the same order as they were numbered).
struct RowBatch {
  std::vector<ResultRow> rows;
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
ResultRow MakeRow(scan::JunkItem&& item, TextNumbering& labels, TextNumbering& roots,
                  RowBatch& batch);

// The item a row stands for, as the deletion service wants it.
scan::JunkItem ToJunkItem(const ResultRow& row, const std::vector<NativeString>& labels,
                          const std::vector<NativeString>& roots);

}  // namespace kelvo::ui
