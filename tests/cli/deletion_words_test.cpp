// The command line's words for what became of a row handed to the deletion.
#include <gtest/gtest.h>

#include <set>

#include "deletion_words.h"

namespace kelvo::cli {
namespace {

using cleanup::DeletionFailure;
using cleanup::DeletionOutcome;
using cleanup::DeletionResult;

DeletionResult Failed(DeletionFailure failure, std::error_code error = {}) {
  return {DeletionOutcome::kFailed, failure, error, 0, {}};
}

TEST(DeletionWords, EveryOutcomeAndReasonHasWordsOfItsOwn) {
  EXPECT_EQ(DeletionWords({DeletionOutcome::kDeleted, DeletionFailure::kNone, {}, 3, {}}),
            "deleted");
  EXPECT_EQ(DeletionWords({DeletionOutcome::kAlreadyGone, DeletionFailure::kNone, {}, 0, {}}),
            "already gone");
  EXPECT_EQ(DeletionWords(Failed(DeletionFailure::kChangedSinceScan)), "changed since the scan");
  std::set<std::string> words;
  for (auto failure :
       {DeletionFailure::kChangedSinceScan, DeletionFailure::kLinkInPath,
        DeletionFailure::kOtherFileSystem, DeletionFailure::kPermissionDenied,
        DeletionFailure::kInUse, DeletionFailure::kNotEmpty, DeletionFailure::kIsDirectory,
        DeletionFailure::kKept, DeletionFailure::kNoTrash, DeletionFailure::kOther})
    words.insert(DeletionWords(Failed(failure)));
  EXPECT_EQ(words.size(), 10u);
  EXPECT_EQ(DeletionWords(Failed(DeletionFailure::kOther)), "failed");
  EXPECT_EQ(DeletionWords(
                Failed(DeletionFailure::kOther, std::make_error_code(std::errc::invalid_argument))),
            "not a plain path below its scan root");
  const auto io = std::make_error_code(std::errc::io_error);
  EXPECT_EQ(DeletionWords(Failed(DeletionFailure::kOther, io)), io.message());
}

}  // namespace
}  // namespace kelvo::cli
