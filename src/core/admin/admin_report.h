// The report an administrator step writes on standard output: one json object per requested row,
// in the request's order, then one summary object:
//   {"path":"/var/cache/x","outcome":"deleted","reason":"","bytes":4096}
//   {"path":"/var/log/y","outcome":"failed","reason":"changed","bytes":0}
//   {"summary":{"deleted":1,"moved":0,"gone":0,"kept":0,"failed":1,"bytes":4096}}
// outcome: deleted, moved (to the trash), gone, kept (keep-list or package file), failed.
// reason: empty, or one of changed, link-in-path, other-file-system, permission-denied, in-use,
// not-empty, is-directory, kept, package-file, no-trash, refused (the request's row was not one a
// privileged step may touch), other; "error" adds the system's error number where there is one.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "cleanup/deletion.h"
#include "text/result.h"

namespace kelvo::admin {

enum class ReportOutcome { kDeleted, kMoved, kGone, kKept, kFailed };

struct ReportRow {
  NativeString path;
  ReportOutcome outcome = ReportOutcome::kFailed;
  std::string reason;
  int error = 0;  // the system's error number behind a failure, 0 when none
  std::uint64_t bytes = 0;
};

struct ReportSummary {
  std::size_t deleted = 0, moved = 0, gone = 0, kept = 0, failed = 0;
  std::uint64_t bytes = 0;
  bool operator==(const ReportSummary&) const = default;
};

ReportRow ReportRowOf(NativeStringView path, const cleanup::DeletionResult& result, bool toTrash);
// A row the privileged step would not hand to the deletion at all.
ReportRow RefusedRow(NativeStringView path, std::string reason);
ReportSummary SummaryOf(const std::vector<ReportRow>& rows);

std::string ReportLine(const ReportRow& row);
std::string SummaryLine(const ReportSummary& summary);

// Reads a report against the rows asked for: exactly one line per asked row, the same path in the
// same order, and a summary that agrees with them. A report naming any other path, leaving a row
// out or ending early is refused whole: it is not the answer to this request.
Result<std::vector<ReportRow>, std::string> ReadAdminReport(
    std::string_view text, const std::vector<cleanup::DeletionRequest>& asked);

// The row in the deletion's own terms, for the words the programs use for their own rows. A
// package file is kept (kKept), as the keep-list keeps.
cleanup::DeletionResult AsDeletionResult(const ReportRow& row);

}  // namespace kelvo::admin
