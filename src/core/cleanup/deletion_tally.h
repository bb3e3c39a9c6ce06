// The one count of what a removal did, kept by the gate; the programs only put it into words.
#pragma once

#include <cstddef>
#include <cstdint>
#include <set>

#include "cleanup/deletion.h"

namespace kelvo::cleanup {

// What became of one row, in the words every summary uses.
enum class TallyKind : std::uint8_t {
  kDeleted,      // removed for good
  kMoved,        // moved into a trash
  kAlreadyGone,  // nothing there any more
  kChanged,      // another entry than the scanned one stands there: left alone
  kKept,         // the keep-list holds it
  kPackageFile,  // an installed package owns it
  kRefused,      // not something Kelvo removes (a folder with contents, a link on the way, ...)
  kFailed,       // the system refused, or the keep-list could not be read
};

TallyKind TallyKindOf(const DeletionResult& result);

struct TallyCount {
  std::size_t entries = 0;
  std::uint64_t bytes = 0;  // removed bytes for removals; the scanned sizes otherwise
};

class DeletionTally {
 public:
  void Add(const DeletionResult& result, const DeletionRequest& row);

  const TallyCount& Of(TallyKind kind) const { return counts_[static_cast<std::size_t>(kind)]; }
  // Rows removed or moved, and their bytes.
  TallyCount Removed() const;
  // Rows that were not removed for a reason the user should read (changed, refused, failed).
  std::size_t Problems() const;
  const std::set<NativeString>& Trashes() const { return trashes_; }
  std::size_t Rows() const { return rows_; }

 private:
  TallyCount counts_[8];
  std::set<NativeString> trashes_;
  std::size_t rows_ = 0;
};

}  // namespace kelvo::cleanup
