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

void ScanForRows(const ResolvedScanOptions& resolved, unsigned threads,
                 scan::PackageFilter* packageFiles, const scan::KeepList& keep, Collected& out) {
  CliScanSink sink([&](scan::JunkItem&& item) { out.rows.push_back(cleanup::RequestFor(item)); },
                   platform::ErrorStreamIsTerminal());
  scan::FixedRules rules(resolved.rules);
  scan::ScanState state;
  state.folderReaders = FolderReaders(threads);
  state.packageFiles = packageFiles;
  if (!keep.empty()) state.keepList = &keep;
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

std::uint64_t KnownBytes(const std::vector<cleanup::DeletionRequest>& rows) {
  std::uint64_t bytes = 0;
  for (const auto& r : rows) bytes += r.size.value_or(0);
  return bytes;
}

std::string FilesAndBytes(std::size_t files, std::uint64_t bytes) {
  return std::to_string(files) + (files == 1 ? " file" : " files") + " (" + std::to_string(bytes) +
         " bytes)";
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
                      "line is not a row of such a list.")
          ->check(RefuseEmpty);
  CLI::Option* from0 =
      command
          .add_option("--from0", options.from0,
                      "Delete exactly the absolute paths of a list separated by NUL bytes (find\n"
                      "-print0), '-' for standard input, instead of scanning")
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

int RunCleanCommand(const CleanOptions& options) {
  // Started by pkexec: nothing of the settings is read before the request is.
  if (StartedForAnotherUser(options)) return RunPrivilegedClean(options);
  Collected collected;
  const scan::KeepList keep = LoadKeepList(options.scan);
  // Loaded while the scan or the list reading starts; a listed row is checked as well.
  std::optional<scan::PackageFilter> packageFilter;
  if (!options.scan.includePackageFiles) packageFilter.emplace(platform::SystemPackageDatabases());
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
    if (!nulList && admin::IsAdminRequest(text)) return RunPrivilegedClean(text, options, &keep);
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
    ScanForRows(resolved, options.scan.threads, packageFilter ? &*packageFilter : nullptr, keep,
                collected);
  }
  if (!source.empty() && !keep.empty())
    std::erase_if(collected.rows, [&](const cleanup::DeletionRequest& r) {
      if (!keep.Covers(r.path)) return false;
      keep.CountHeldBack();
      return true;
    });
  if (packageFilter && !options.from.empty())
    std::erase_if(collected.rows, [&](const cleanup::DeletionRequest& r) {
      return packageFilter->KeepsOut(r.path);
    });
  if (packageFilter && packageFilter->Kept())
    std::fprintf(stderr, "%zu hits kept as package files\n", packageFilter->Kept());
  if (keep.HeldBack()) std::fprintf(stderr, "%zu held back by the keep-list\n", keep.HeldBack());
  std::vector<cleanup::DeletionRequest> rows = OncePerFile(std::move(collected.rows));
  FolderRowTest isFolderRow;
  const auto folders = std::stable_partition(
      rows.begin(), rows.end(), [&](const cleanup::DeletionRequest& r) { return !isFolderRow(r); });
  const std::size_t folderRows = static_cast<std::size_t>(rows.end() - folders);
  rows.erase(folders, rows.end());
  const std::vector<cleanup::DeletionRequest> adminRows = TakeAdminRows(rows);
  const std::string foldersKept = folderRows ? FolderRowsKept(folderRows) : std::string();
  const int scanStatus = collected.scanIncomplete ? kExitPartial : kExitOk;
  const std::string total = FilesAndBytes(rows.size(), KnownBytes(rows));

  if (options.dryRun) {
    for (const auto& r : rows) std::printf("%s\n", Printable(r.path).c_str());
    std::printf(options.trash ? "Would move %s to the trash.\n%s" : "Would delete %s.\n%s",
                total.c_str(), foldersKept.c_str());
    std::printf("%s", AdminDryRunText(adminRows, options).c_str());
    return scanStatus;
  }
  if (rows.empty() && (!options.admin || adminRows.empty())) {
    std::printf("Nothing to delete.\n%s%s", foldersKept.c_str(), AdminLeftText(adminRows).c_str());
    return scanStatus;
  }
  if (!options.yes) {
    const std::string question =
        options.trash
            ? "Move " + total + " to the trash" + AdminQuestionText(adminRows, options) + "? [y/N] "
            : "Delete " + total + AdminQuestionText(adminRows, options) + "? [y/N] ";
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

  ProgressLine progress(platform::ErrorStreamIsTerminal());
  cleanup::DeletionOptions deletion;
  deletion.toTrash = options.trash;
  deletion.keep = keep.empty() ? nullptr : &keep;
  const auto results = cleanup::DeleteItems(
      rows, [&](std::size_t done, std::size_t all) { progress.Update(done, all); }, deletion);
  progress.Clear();

  std::size_t deleted = 0, gone = 0, failed = 0, kept = 0;
  std::set<NativeString> trashes;
  std::uint64_t bytes = 0;
  std::map<std::string, std::size_t> reasons;
  for (std::size_t i = 0; i < results.size(); ++i) {
    const auto& r = results[i];
    switch (r.outcome) {
      case cleanup::DeletionOutcome::kDeleted:
        ++deleted;
        bytes += r.bytes;
        if (!r.trash.empty()) trashes.insert(r.trash);
        break;
      case cleanup::DeletionOutcome::kAlreadyGone:
        ++gone;
        break;
      case cleanup::DeletionOutcome::kFailed: {
        if (r.failure == cleanup::DeletionFailure::kKept) {
          ++kept;  // kept since the scan: left alone as asked, not a failure
          break;
        }
        ++failed;
        const std::string reason = DeletionWords(r);
        ++reasons[reason];
        std::fprintf(stderr, "kelvo-cli: not %s: %s: %s\n", options.trash ? "trashed" : "deleted",
                     Printable(rows[i].path).c_str(), reason.c_str());
        break;
      }
    }
  }
  std::string summary = options.trash ? "Moved " + FilesAndBytes(deleted, bytes) + " to the trash"
                                      : "Deleted " + FilesAndBytes(deleted, bytes);
  if (!trashes.empty()) {
    summary += " (";
    for (const NativeString& t : trashes)
      summary += (t == *trashes.begin() ? "" : ", ") + Printable(t);
    summary += ")";
  }
  summary += ", " + std::to_string(gone) + " already gone, ";
  if (kept) summary += std::to_string(kept) + " kept by the keep-list, ";
  summary += std::to_string(failed) + " failed";
  if (failed) {
    summary += " (";
    bool first = true;
    for (const auto& [reason, count] : reasons) {
      if (!first) summary += ", ";
      summary += std::to_string(count) + " " + reason;
      first = false;
    }
    summary += ")";
  }
  std::printf("%s.\n%s", summary.c_str(), foldersKept.c_str());
  const int status = failed ? kExitPartial : scanStatus;
  if (!options.admin) {
    std::printf("%s", AdminLeftText(adminRows).c_str());
    return status;
  }
  return std::max(status, RunAdminStep(adminRows, options));
}

}  // namespace kelvo::cli
