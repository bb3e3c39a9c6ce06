#include "admin/admin_report.h"

#include <nlohmann/json.hpp>

#include <array>
#include <utility>

#include "admin/json_text.h"

namespace kelvo::admin {
namespace {

using cleanup::DeletionFailure;
using cleanup::DeletionOutcome;

constexpr std::array<std::pair<DeletionFailure, const char*>, 15> kReasons{{
    {DeletionFailure::kChangedSinceScan, "changed"},
    {DeletionFailure::kLinkInPath, "link-in-path"},
    {DeletionFailure::kOtherFileSystem, "other-file-system"},
    {DeletionFailure::kPermissionDenied, "permission-denied"},
    {DeletionFailure::kInUse, "in-use"},
    {DeletionFailure::kNotEmpty, "not-empty"},
    {DeletionFailure::kIsDirectory, "is-directory"},
    {DeletionFailure::kKept, "kept"},
    {DeletionFailure::kNoTrash, "no-trash"},
    {DeletionFailure::kPackageFile, "package-file"},
    {DeletionFailure::kWrongKind, "wrong-kind"},
    {DeletionFailure::kBadPath, "bad-path"},
    {DeletionFailure::kTrashItemRemains, "trash-item-remains"},
    {DeletionFailure::kKeepListUnreadable, "keep-list-unreadable"},
    {DeletionFailure::kOther, "other"},
}};
constexpr const char* kPackageFile = "package-file";
constexpr const char* kRefused = "refused";

constexpr std::array<std::pair<ReportOutcome, const char*>, 5> kOutcomes{{
    {ReportOutcome::kDeleted, "deleted"},
    {ReportOutcome::kMoved, "moved"},
    {ReportOutcome::kGone, "gone"},
    {ReportOutcome::kKept, "kept"},
    {ReportOutcome::kFailed, "failed"},
}};

bool KnownReason(const std::string& reason) {
  if (reason.empty() || reason == kPackageFile || reason == kRefused) return true;
  for (const auto& [failure, name] : kReasons)
    if (reason == name) return true;
  return false;
}

Result<ReportRow, std::string> ReadRow(const nlohmann::json& line) {
  if (!line.is_object()) return Unexpected(std::string("not a json object"));
  ReportRow row;
  if (auto error = GetNativeText(line, "path", row.path)) return Unexpected(*error);
  const auto outcome = line.find("outcome");
  bool known = false;
  for (const auto& [value, name] : kOutcomes)
    if (outcome != line.end() && *outcome == name) {
      row.outcome = value;
      known = true;
    }
  if (!known) return Unexpected(std::string("outcome is not one the report knows"));
  const auto reason = line.find("reason");
  if (reason == line.end() || !reason->is_string() || !KnownReason(reason->get<std::string>()))
    return Unexpected(std::string("reason is not one the report knows"));
  row.reason = reason->get<std::string>();
  const auto bytes = line.find("bytes");
  if (bytes == line.end() || !bytes->is_number_unsigned())
    return Unexpected(std::string("bytes is not a whole number"));
  row.bytes = bytes->get<std::uint64_t>();
  const auto error = line.find("error");
  if (error != line.end()) {
    if (!error->is_number_integer()) return Unexpected(std::string("error is not a number"));
    row.error = error->get<int>();
  }
  return row;
}

Result<ReportSummary, std::string> ReadSummary(const nlohmann::json& line) {
  const auto summary = line.find("summary");
  if (summary == line.end() || !summary->is_object())
    return Unexpected(std::string("not a summary"));
  ReportSummary s;
  for (auto [key, count] : {std::pair{"deleted", &s.deleted},
                            {"moved", &s.moved},
                            {"gone", &s.gone},
                            {"kept", &s.kept},
                            {"failed", &s.failed}}) {
    const auto value = summary->find(key);
    if (value == summary->end() || !value->is_number_unsigned())
      return Unexpected(std::string(key) + " is not a whole number");
    *count = value->get<std::size_t>();
  }
  const auto bytes = summary->find("bytes");
  if (bytes == summary->end() || !bytes->is_number_unsigned())
    return Unexpected(std::string("bytes is not a whole number"));
  s.bytes = bytes->get<std::uint64_t>();
  return s;
}

}  // namespace

ReportRow ReportRowOf(NativeStringView path, const cleanup::DeletionResult& result, bool toTrash) {
  ReportRow row;
  row.path = NativeString(path);
  switch (result.outcome) {
    case DeletionOutcome::kDeleted:
      // An entry inside a trash is deleted for good even when trashing.
      row.outcome = toTrash && result.intoTrash ? ReportOutcome::kMoved : ReportOutcome::kDeleted;
      row.bytes = result.bytes;
      return row;
    case DeletionOutcome::kAlreadyGone:
      row.outcome = ReportOutcome::kGone;
      return row;
    case DeletionOutcome::kFailed:
      break;
  }
  row.outcome =
      result.failure == DeletionFailure::kKept || result.failure == DeletionFailure::kPackageFile
          ? ReportOutcome::kKept
          : ReportOutcome::kFailed;
  row.reason = "other";
  for (const auto& [failure, name] : kReasons)
    if (failure == result.failure) row.reason = name;
  row.error = result.error.value();
  return row;
}

ReportRow RefusedRow(NativeStringView path, std::string reason) {
  ReportRow row;
  row.path = NativeString(path);
  row.outcome =
      reason == kPackageFile || reason == "kept" ? ReportOutcome::kKept : ReportOutcome::kFailed;
  row.reason = std::move(reason);
  return row;
}

ReportSummary SummaryOf(const std::vector<ReportRow>& rows) {
  ReportSummary s;
  for (const ReportRow& row : rows) {
    switch (row.outcome) {
      case ReportOutcome::kDeleted:
        ++s.deleted;
        break;
      case ReportOutcome::kMoved:
        ++s.moved;
        break;
      case ReportOutcome::kGone:
        ++s.gone;
        break;
      case ReportOutcome::kKept:
        ++s.kept;
        break;
      case ReportOutcome::kFailed:
        ++s.failed;
        break;
    }
    s.bytes += row.bytes;
  }
  return s;
}

std::string ReportLine(const ReportRow& row) {
  nlohmann::ordered_json line;
  PutNativeText(line, "path", row.path);
  for (const auto& [value, name] : kOutcomes)
    if (value == row.outcome) line["outcome"] = name;
  line["reason"] = row.reason;
  line["bytes"] = row.bytes;
  if (row.error) line["error"] = row.error;
  return line.dump() + "\n";
}

std::string SummaryLine(const ReportSummary& s) {
  nlohmann::ordered_json line;
  line["summary"] = {{"deleted", s.deleted}, {"moved", s.moved},   {"gone", s.gone},
                     {"kept", s.kept},       {"failed", s.failed}, {"bytes", s.bytes}};
  return line.dump() + "\n";
}

Result<std::vector<ReportRow>, std::string> ReadAdminReport(
    std::string_view text, const std::vector<cleanup::DeletionRequest>& asked) {
  std::vector<ReportRow> rows;
  std::size_t number = 0;
  while (!text.empty()) {
    const std::string_view lineText = text.substr(0, text.find('\n'));
    text.remove_prefix(std::min(text.size(), lineText.size() + 1));
    ++number;
    const auto where = [&](const std::string& what) {
      return Unexpected("report line " + std::to_string(number) + ": " + what);
    };
    const nlohmann::json line = nlohmann::json::parse(lineText, nullptr, false);
    if (rows.size() == asked.size()) {
      auto summary = ReadSummary(line);
      if (!summary) return where(summary.error());
      if (!(summary.value() == SummaryOf(rows)))
        return where("the summary does not agree with the rows");
      if (text.find_first_not_of('\n') != std::string_view::npos)
        return where("more follows the summary");
      return rows;
    }
    auto row = ReadRow(line);
    if (!row) return where(row.error());
    if (row.value().path != asked[rows.size()].path)
      return where("a row that was not asked for, or out of order");
    rows.push_back(std::move(row.value()));
  }
  return Unexpected("the report ends after " + std::to_string(rows.size()) + " of " +
                    std::to_string(asked.size()) + " rows");
}

cleanup::DeletionResult AsDeletionResult(const ReportRow& row) {
  cleanup::DeletionResult result;
  result.bytes = row.bytes;
  switch (row.outcome) {
    case ReportOutcome::kDeleted:
    case ReportOutcome::kMoved:
      result.outcome = DeletionOutcome::kDeleted;
      result.failure = DeletionFailure::kNone;
      result.intoTrash = row.outcome == ReportOutcome::kMoved;
      return result;
    case ReportOutcome::kGone:
      result.outcome = DeletionOutcome::kAlreadyGone;
      result.failure = DeletionFailure::kNone;
      return result;
    case ReportOutcome::kKept:
    case ReportOutcome::kFailed:
      break;
  }
  result.outcome = DeletionOutcome::kFailed;
  result.failure = DeletionFailure::kOther;
  for (const auto& [failure, name] : kReasons)
    if (row.reason == name) result.failure = failure;
  if (row.reason == kRefused && !row.error)
    result.error = std::make_error_code(std::errc::invalid_argument);
  if (row.error) result.error = std::error_code(row.error, std::system_category());
  return result;
}

}  // namespace kelvo::admin
