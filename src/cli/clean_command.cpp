#include "clean_command.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <map>
#include <optional>
#include <set>

#include "admin/admin_request.h"
#include "admin_step.h"
#include "cleanup/deletion.h"
#include "cli_scan_sink.h"
#include "commands.h"
#include "confirmation.h"
#include "deletion_words.h"
#include "keep_command.h"
#include "list_reader.h"
#include "location_roots.h"
#include "platform/file_system.h"
#include "platform/terminal.h"
#include "privileged_clean.h"
#include "run_setup.h"
#include "scan/driver.h"
#include "scan/package_filter.h"

namespace kelvo::cli {
namespace {

struct Collected {
  std::vector<cleanup::DeletionRequest> rows;
  bool scanIncomplete = false;
};

std::string Printable(const NativeString& path) {
  return EscapeForTerminal(NativeToUtf8(path));
}

// One row per file, the first one listed, however many rules reported it.
std::vector<cleanup::DeletionRequest> OncePerFile(std::vector<cleanup::DeletionRequest> rows) {
  std::set<NativeString> seen;
  std::vector<cleanup::DeletionRequest> once;
  for (auto& row : rows)
    if (seen.insert(row.path).second) once.push_back(std::move(row));
  return once;
}

void ScanForRows(const ResolvedScanOptions& resolved, prepare::PreparedRun& run, Collected& out) {
  CliScanSink sink([&](scan::JunkItem&& item) { out.rows.push_back(cleanup::RequestFor(item)); },
                   platform::ErrorStreamIsTerminal());
  scan::FixedRules rules(resolved.rules);
  scan::ScanState state;
  run.Configure(state);
  scan::RunScan(state, RequestOf(resolved, /*audit=*/false), rules, sink,
                platform::NativeFileSystem());
  sink.FinishProgress();
  out.scanIncomplete = sink.totals().unreadableFolders > 0;
}

// Whether a row names a folder that is not an empty-folder row: such a folder is never deleted,
// with its contents or without. Rows without a kind (tsv lists) are looked at, without following
// links.
class FolderRowTest {
 public:
  bool operator()(const cleanup::DeletionRequest& row) {
    if (row.emptyFolder) return false;
    if (row.identity && row.identity->type != platform::EntryType::kUnknown)
      return row.identity->type == platform::EntryType::kDirectory;
    const std::size_t cut = row.path.find_last_of(platform::kSeparator);
    if (cut == NativeString::npos || cut + 1 == row.path.size()) return false;
    const NativeString parent = row.path.substr(0, cut + 1);
    if (parent != parentPath_) {
      parentPath_ = parent;
      std::error_code ec;
      parent_ = platform::NativeFileSystem().OpenDirectory(parent, ec);
    }
    platform::EntryStat st;
    const NativeString name = row.path.substr(cut + 1);
    return parent_ && !parent_->Stat(name.c_str(), st) &&
           st.type == platform::EntryType::kDirectory;
  }

 private:
  NativeString parentPath_;
  std::unique_ptr<platform::Directory> parent_;
};

std::string FolderRowsKept(std::size_t count) {
  return std::to_string(count) + (count == 1 ? " folder row" : " folder rows") +
         " kept: folders are never deleted with their contents.\n";
}

class ProgressLine {
 public:
  explicit ProgressLine(bool shown) : shown_(shown) {}
  void Update(std::size_t done, std::size_t total) {
    if (!shown_) return;
    const auto now = std::chrono::steady_clock::now();
    if (done != total && now - last_ < std::chrono::milliseconds(200)) return;
    last_ = now;
    std::fprintf(stderr, "\r\033[Kdeleting %zu/%zu", done, total);
    visible_ = true;
  }
  void Clear() {
    if (visible_) std::fputs("\r\033[K", stderr);
    visible_ = false;
  }

 private:
  bool shown_;
  bool visible_ = false;
  std::chrono::steady_clock::time_point last_{};
};

}  // namespace

void AddCleanOptions(CLI::App& command, CleanOptions& options) {
  AddScanOptions(command, options.scan, /*withFormat=*/false);
  CLI::Option* from =
      command
          .add_option("--from", options.from,
                      "Delete exactly the rows of a list printed by 'scan' (tsv or json), or of a\n"
                      "list of absolute paths one per line, '-' for standard input, instead of\n"
                      "scanning. The whole list is refused, before anything is deleted, when a\n"
                      "line is not a row of such a list or the list is larger than 512 MiB.")
          ->check(RefuseEmpty);
  CLI::Option* from0 =
      command
          .add_option("--from0", options.from0,
                      "Delete exactly the absolute paths of a list separated by NUL bytes (find\n"
                      "-print0), '-' for standard input, instead of scanning; at most 512 MiB")
          ->check(RefuseEmpty);
  from0->excludes(from);
  // A list is deleted as it is: the options of a scan would be ignored, so they are refused.
  for (const char* scanOnly : {"--patterns", "--temp", "--zero", "--special", "--locations",
                               "--older-than", "--threads"}) {
    from->excludes(command.get_option(scanOnly));
    from0->excludes(command.get_option(scanOnly));
  }
  command.add_flag("-y,--yes", options.yes,
                   "Delete without asking (needed when standard input is not a terminal)");
  command.add_flag("-n,--dry-run", options.dryRun, "Print what would be deleted; change nothing");
  command.add_flag("--trash", options.trash,
                   "Move the files into the desktop's trash (the Recycle Bin on Windows), from\n"
                   "where they can be restored, instead of deleting them. A file whose file\n"
                   "system has no usable trash is kept and reported; nothing is ever copied.");
  AddAdminOption(command, options.admin);
}

namespace {

// The rows the gate would pass, and what it would hold back, without touching anything.
struct Plan {
  std::vector<const cleanup::DeletionRequest*> passed;
  std::uint64_t bytes = 0;
  std::size_t moved = 0;  // of passed: into the trash (the rest is deleted for good)
};

Plan PlanOf(const std::vector<cleanup::DeletionRequest>& rows, prepare::PreparedRun& run,
            bool toTrash, std::map<std::string, std::size_t>& reasons) {
  Plan plan;
  auto gate = run.MakeGate({.toTrash = toTrash, .dryRun = true});
  for (const auto& row : rows) {
    const cleanup::DeletionResult r = gate->Pass(row);
    if (r.outcome != cleanup::DeletionOutcome::kDeleted) {
      const auto kind = cleanup::TallyKindOf(r);
      if (kind != cleanup::TallyKind::kKept && kind != cleanup::TallyKind::kPackageFile &&
          kind != cleanup::TallyKind::kAlreadyGone)
        ++reasons[DeletionWords(r)];
      continue;
    }
    plan.passed.push_back(&row);
    plan.bytes += r.bytes;
    if (r.intoTrash) ++plan.moved;
  }
  const auto& tally = gate->Tally();
  if (const std::size_t owned = tally.Of(cleanup::TallyKind::kPackageFile).entries)
    std::fprintf(stderr, "%zu hits kept as package files\n", owned);
  if (const std::size_t kept = tally.Of(cleanup::TallyKind::kKept).entries)
    std::fprintf(stderr, "%zu held back by the keep-list\n", kept);
  return plan;
}

std::string TrashList(const std::set<NativeString>& trashes) {
  std::string text;
  for (const NativeString& t : trashes) text += (text.empty() ? "" : ", ") + Printable(t);
  return text;
}

}  // namespace

int RunCleanCommand(const CleanOptions& options) {
  // Started by pkexec: nothing of the settings is read before the request is.
  if (StartedForAnotherUser(options)) return RunPrivilegedClean(options);
  Collected collected;
  // One set-up for the scan or the list and the deletion: keep-list, package filter, readers.
  prepare::PreparedRun run(RunChoicesFor(options.scan));
  if (auto error = run.KeepListError()) {
    // Deleting with a keep-list that cannot be read would delete what it keeps.
    std::fprintf(stderr, "kelvo-cli: %s; nothing deleted\n",
                 UnreadableKeepListText(*error).c_str());
    return kExitUsage;
  }
  const bool nulList = !options.from0.empty();
  const std::string& source = nulList ? options.from0 : options.from;
  const char* const sourceOption = nulList ? "--from0" : "--from";
  if (!source.empty()) {
    if (!options.scan.roots.empty()) {
      std::fprintf(stderr, "kelvo-cli: %s: give either a list or folders to scan, not both\n",
                   sourceOption);
      return kExitUsage;
    }
    std::string text;
    if (auto error = ReadListText(source, text)) {
      std::fprintf(stderr, "kelvo-cli: %s: %s\n", sourceOption, error->c_str());
      return kExitUsage;
    }
    if (!nulList && admin::IsAdminRequest(text))
      return RunPrivilegedClean(text, options, &run.KeepList());
    auto error =
        nulList ? ParseNulPathList(text, collected.rows) : ParseDeletionList(text, collected.rows);
    if (error) {
      std::fprintf(stderr, "kelvo-cli: %s: %s: %s\n", sourceOption, source.c_str(), error->c_str());
      return kExitUsage;
    }
  } else {
    ResolvedScanOptions resolved;
    if (auto error = ResolveScanOptions(options.scan, resolved)) {
      std::fprintf(stderr, "kelvo-cli: %s\n", error->c_str());
      return kExitUsage;
    }
    ScanForRows(resolved, run, collected);
    if (const scan::PackageFilter* filter = run.PackageFiles(); filter && filter->Kept())
      std::fprintf(stderr, "%zu hits kept as package files\n", filter->Kept());
    if (const std::size_t held = run.KeepList().HeldBack())
      std::fprintf(stderr, "%zu held back by the keep-list\n", held);
  }
  std::vector<cleanup::DeletionRequest> rows = OncePerFile(std::move(collected.rows));
  FolderRowTest isFolderRow;
  const auto folders = std::stable_partition(
      rows.begin(), rows.end(), [&](const cleanup::DeletionRequest& r) { return !isFolderRow(r); });
  const std::size_t folderRows = static_cast<std::size_t>(rows.end() - folders);
  rows.erase(folders, rows.end());
  // Rows only an administrator could remove are not promised: --admin hands them to the
  // privileged step, whose side passes each through the same gate.
  const std::vector<cleanup::DeletionRequest> adminRows = TakeAdminRows(rows);
  const std::string foldersKept = folderRows ? FolderRowsKept(folderRows) : std::string();
  const int scanStatus = collected.scanIncomplete ? kExitPartial : kExitOk;

  // The question and the dry run show what the gate would pass now, nothing it would refuse.
  std::map<std::string, std::size_t> refusals;
  const Plan plan = PlanOf(rows, run, options.trash, refusals);
  const std::size_t forGood = plan.passed.size() - plan.moved;
  std::string total = FilesAndBytes(plan.passed.size(), plan.bytes);
  if (options.trash && forGood)
    total += ", " + std::to_string(forGood) + " of them already in a trash and deleted for good";
  std::string refused;
  for (const auto& [reason, count] : refusals)
    refused += std::to_string(count) + " would not be removed: " + reason + "\n";

  if (options.dryRun) {
    for (const auto* r : plan.passed) std::printf("%s\n", Printable(r->path).c_str());
    std::printf(options.trash ? "Would move %s to the trash.\n%s%s" : "Would delete %s.\n%s%s",
                total.c_str(), foldersKept.c_str(), refused.c_str());
    std::printf("%s", AdminDryRunText(adminRows, options).c_str());
    return scanStatus;
  }
  if (plan.passed.empty() && refusals.empty() && (!options.admin || adminRows.empty())) {
    std::printf("Nothing to delete.\n%s%s", foldersKept.c_str(), AdminLeftText(adminRows).c_str());
    return scanStatus;
  }
  if (!options.yes && (!plan.passed.empty() || (options.admin && !adminRows.empty()))) {
    const std::string asked = total + AdminQuestionText(adminRows, options);
    const std::string question =
        options.trash ? "Move " + asked + " to the trash? [y/N] " : "Delete " + asked + "? [y/N] ";
    switch (AskOnTerminal(question, source == "-")) {
      case Answer::kYes:
        break;
      case Answer::kNo:
        std::printf("Nothing deleted.\n");
        return scanStatus;
      case Answer::kNoTerminal:
        std::fprintf(stderr,
                     "kelvo-cli: no terminal to ask on; add --yes to %s %s without asking\n",
                     options.trash ? "trash" : "delete", total.c_str());
        return kExitUsage;
    }
  }

  // Every row goes through the gate once more: the keep-list is read again if it changed while
  // the question waited, and each entry is checked again right before it is removed.
  ProgressLine progress(platform::ErrorStreamIsTerminal());
  auto gate = run.MakeGate({.toTrash = options.trash});
  std::map<std::string, std::size_t> reasons;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const cleanup::DeletionResult r = gate->Pass(rows[i]);
    progress.Update(i + 1, rows.size());
    const auto kind = cleanup::TallyKindOf(r);
    if (kind != cleanup::TallyKind::kChanged && kind != cleanup::TallyKind::kRefused &&
        kind != cleanup::TallyKind::kFailed)
      continue;
    const std::string reason = DeletionWords(r);
    ++reasons[reason];
    progress.Clear();
    std::fprintf(stderr, "kelvo-cli: not %s: %s: %s\n", options.trash ? "trashed" : "deleted",
                 Printable(rows[i].path).c_str(), reason.c_str());
  }
  progress.Clear();
  const cleanup::DeletionTally& tally = gate->Tally();
  std::printf("%s.\n%s",
              TallyWords(tally, options.trash, reasons, TrashList(tally.Trashes())).c_str(),
              foldersKept.c_str());
  const int status = tally.Problems() ? kExitPartial : scanStatus;
  if (!options.admin) {
    std::printf("%s", AdminLeftText(adminRows).c_str());
    return status;
  }
  return std::max(status, RunAdminStep(adminRows, options));
}

}  // namespace kelvo::cli
