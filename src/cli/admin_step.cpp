#include "admin_step.h"

#include <CLI/CLI.hpp>

#include <cstdio>
#include <map>

#include "admin/admin_report.h"
#include "admin/admin_request.h"
#include "admin/elevation_command.h"
#include "commands.h"
#include "deletion_words.h"
#include "keep_command.h"
#include "platform/child_process.h"
#include "platform/process_probe.h"
#include "platform/removal_rights.h"
#include "row_writer.h"
#include "settings/keep_list_file.h"
#include "settings/settings_file.h"

namespace kelvo::cli {
namespace {

// The report of a request at the list limit stays far below this.
constexpr std::size_t kMaxReportBytes = std::size_t{512} << 20;

std::string FilesAndBytes(const std::vector<cleanup::DeletionRequest>& rows) {
  std::uint64_t bytes = 0;
  for (const auto& r : rows) bytes += r.size.value_or(0);
  return cli::FilesAndBytes(rows.size(), bytes);
}

std::string Printable(const NativeString& path) {
  return EscapeForTerminal(NativeToUtf8(path));
}

// The keep-list as it is stored, and this run's --keep patterns: the privileged side gets it in
// the request instead of reading the user's settings itself.
Result<std::vector<settings::KeepEntry>> KeepEntriesOf(const ScanOptions& options) {
  std::vector<settings::KeepEntry> entries;
  if (!options.noKeepList) {
    auto stored = settings::ReadKeepList(settings::SettingsFilePath());
    if (!stored) return Unexpected(stored.error());  // never an empty list in its place
    entries = std::move(*stored);
  }
  for (const std::string& pattern : options.keep)
    entries.push_back({settings::KeepEntry::Kind::kPattern, Utf8ToNative(pattern)});
  return entries;
}

std::string CommandText(const std::vector<NativeString>& argv) {
  std::string text;
  for (const NativeString& a : argv) text += (text.empty() ? "" : " ") + Printable(a);
  return text;
}

void PrintReport(const std::vector<cleanup::DeletionRequest>& rows,
                 const std::vector<admin::ReportRow>& report, bool toTrash) {
  std::size_t done = 0, gone = 0, kept = 0, packageFiles = 0, failed = 0;
  std::uint64_t bytes = 0;
  std::map<std::string, std::size_t> reasons;
  for (std::size_t i = 0; i < report.size(); ++i) {
    const admin::ReportRow& row = report[i];
    switch (row.outcome) {
      case admin::ReportOutcome::kDeleted:
      case admin::ReportOutcome::kMoved:
        ++done;
        bytes += row.bytes;
        break;
      case admin::ReportOutcome::kGone:
        ++gone;
        break;
      case admin::ReportOutcome::kKept:
        ++(row.reason == "package-file" ? packageFiles : kept);
        break;
      case admin::ReportOutcome::kFailed: {
        ++failed;
        const std::string reason = DeletionWords(admin::AsDeletionResult(row));
        ++reasons[reason];
        std::fprintf(stderr, "kelvo-cli: not %s as administrator: %s: %s\n",
                     toTrash ? "trashed" : "deleted", Printable(rows[i].path).c_str(),
                     reason.c_str());
        break;
      }
    }
  }
  std::string summary = std::string("As administrator: ") + (toTrash ? "moved " : "deleted ") +
                        std::to_string(done) + (done == 1 ? " file" : " files") + " (" +
                        std::to_string(bytes) + " bytes)" + (toTrash ? " to the trash" : "") +
                        ", " + std::to_string(gone) + " already gone, ";
  if (kept) summary += std::to_string(kept) + " kept by the keep-list, ";
  if (packageFiles) summary += std::to_string(packageFiles) + " kept as package files, ";
  summary += std::to_string(failed) + " failed";
  if (failed) {
    summary += " (";
    bool first = true;
    for (const auto& [reason, count] : reasons) {
      summary += (first ? "" : ", ") + std::to_string(count) + " " + reason;
      first = false;
    }
    summary += ")";
  }
  std::printf("%s.\n", summary.c_str());
}

}  // namespace

void AddAdminOption(CLI::App& command, bool& admin) {
  command.add_flag("--admin", admin,
                   "Then clean the files only an administrator may remove, through pkexec\n"
                   "(the command named by KELVO_ELEVATE): the administrator's password is asked\n"
                   "for, and the same checks are made again on the privileged side.");
}

std::vector<cleanup::DeletionRequest> TakeAdminRows(std::vector<cleanup::DeletionRequest>& rows) {
  const auto rights = platform::MakeNativeRemovalRights();
  std::vector<cleanup::DeletionRequest> own, admin;
  for (auto& row : rows) (rights->NeedsAdministrator(row.path) ? admin : own).push_back(row);
  rows = std::move(own);
  return admin;
}

std::string NeedAdminText(std::uint64_t count) {
  if (count == 0) return {};
  return ", " + std::to_string(count) + (count == 1 ? " needs" : " need") + " administrator rights";
}

std::string AdminDryRunText(const std::vector<cleanup::DeletionRequest>& adminRows,
                            const CleanOptions& options) {
  if (adminRows.empty()) return {};
  if (!options.admin)
    return FilesAndBytes(adminRows) +
           " need administrator rights: add --admin to clean them through pkexec.\n";
  std::string text;
  for (const auto& r : adminRows) text += Printable(r.path) + "\n";
  return text + (options.trash ? "Would move " : "Would delete ") + FilesAndBytes(adminRows) +
         (options.trash ? " to the trash" : "") + " as administrator.\n";
}

std::string AdminQuestionText(const std::vector<cleanup::DeletionRequest>& adminRows,
                              const CleanOptions& options) {
  if (adminRows.empty()) return {};
  if (!options.admin)
    return " (" + FilesAndBytes(adminRows) + " need administrator rights and stay)";
  return ", then " + FilesAndBytes(adminRows) + " as administrator";
}

std::string AdminLeftText(const std::vector<cleanup::DeletionRequest>& adminRows) {
  if (adminRows.empty()) return {};
  return FilesAndBytes(adminRows) +
         " left alone: they need administrator rights; run the same command with --admin to "
         "clean them through pkexec.\n";
}

int RunAdminStep(const std::vector<cleanup::DeletionRequest>& adminRows,
                 const CleanOptions& options) {
  if (adminRows.empty()) return kExitOk;
  auto self = platform::OwnExecutablePath();
  if (!self) {
    std::fprintf(stderr, "kelvo-cli: the administrator step: cannot find kelvo-cli itself: %s\n",
                 self.error().message().c_str());
    return kExitPartial;
  }
  admin::AdminRequest request;
  request.user = platform::EffectiveUserId();
  auto keep = KeepEntriesOf(options.scan);
  if (!keep) {
    std::fprintf(stderr, "kelvo-cli: the administrator step: %s; %s not deleted\n",
                 UnreadableKeepListText(keep.error()).c_str(), FilesAndBytes(adminRows).c_str());
    return kExitPartial;
  }
  request.keep = std::move(*keep);
  request.rows = adminRows;
  const std::vector<NativeString> argv = admin::ElevationCommand(self.value(), options.trash);
  std::fflush(stdout);
  auto run = platform::RunChild(argv, admin::WriteAdminRequest(request), kMaxReportBytes);
  if (!run) {
    std::fprintf(stderr, "kelvo-cli: the administrator step (%s) did not run: %s; %s not deleted\n",
                 CommandText(argv).c_str(), run.error().message().c_str(),
                 FilesAndBytes(adminRows).c_str());
    return kExitPartial;
  }
  if (run.value().output.empty()) {
    // pkexec: 126 when the password was not given, 127 when not authorised.
    std::fprintf(stderr,
                 "kelvo-cli: the administrator step ended without a report (exit status %d: "
                 "not authorised or cancelled); %s not deleted\n",
                 run.value().exitStatus, FilesAndBytes(adminRows).c_str());
    return kExitPartial;
  }
  auto report = admin::ReadAdminReport(run.value().output, adminRows);
  if (!report) {
    std::fprintf(stderr, "kelvo-cli: the administrator step's report is refused: %s\n",
                 report.error().c_str());
    return kExitPartial;
  }
  PrintReport(adminRows, report.value(), options.trash);
  const admin::ReportSummary summary = admin::SummaryOf(report.value());
  return summary.failed ? kExitPartial : kExitOk;
}

}  // namespace kelvo::cli
