#include "privileged_clean.h"

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <map>
#include <optional>

#include "admin/admin_report.h"
#include "admin/admin_request.h"
#include "cleanup/deletion.h"
#include "commands.h"
#include "list_reader.h"
#include "platform/file_system.h"
#include "platform/package_files.h"
#include "prepare/prepared_run.h"
#include "scan/package_filter.h"

namespace kelvo::cli {
namespace {

std::optional<std::uint64_t> AskingUser() {
  const char* text = std::getenv(kAskingUserVariable);
  if (!text) return std::nullopt;
  std::uint64_t user = 0;
  const char* end = text + std::strlen(text);
  const auto parsed = std::from_chars(text, end, user);
  if (parsed.ec != std::errc() || parsed.ptr != end || text == end)
    return std::numeric_limits<std::uint64_t>::max();  // matches no request
  return user;
}

// A root that is not its own canonical path has a link (or "..", or a doubled separator) on the
// way: the user who asked could have pointed it anywhere.
class RootCheck {
 public:
  bool Canonical(const NativeString& root) {
    const auto known = answers_.find(root);
    if (known != answers_.end()) return known->second;
    NativeString canonical;
    const bool ok = !platform::NativeFileSystem().ResolveRoot(root, canonical) && canonical == root;
    answers_.emplace(root, ok);
    return ok;
  }

 private:
  std::map<NativeString, bool> answers_;
};

int Refuse(const std::string& why) {
  std::fprintf(stderr, "kelvo-cli: the administrator request is refused: %s\n", why.c_str());
  return kExitUsage;
}

}  // namespace

bool StartedForAnotherUser(const CleanOptions&) {
  return std::getenv(kAskingUserVariable) != nullptr;
}

int RunPrivilegedClean(const CleanOptions& options) {
  if (options.from.empty())
    return Refuse("started by pkexec, kelvo-cli cleans only a request given with --from");
  std::string text;
  if (auto error = ReadListText(options.from, text)) {
    std::fprintf(stderr, "kelvo-cli: --from: %s\n", error->c_str());
    return kExitUsage;
  }
  return RunPrivilegedClean(text, options, nullptr);
}

int RunPrivilegedClean(std::string_view text, const CleanOptions& options,
                       const scan::KeepList* ownKeep) {
  if (!admin::IsAdminRequest(text))
    return Refuse("a list given through " + std::string(kAskingUserVariable) +
                  " must start with the request header");
  if (options.dryRun) return Refuse("a request is carried out, never dry-run");
  if (!options.yes) return Refuse("a request needs --yes (standard input is the list)");
  auto request = admin::ReadAdminRequest(text);
  if (!request) return Refuse(request.error());
  const auto asker = AskingUser();
  if (asker && *asker != request.value().user)
    return Refuse("it names user " + std::to_string(request.value().user) + ", but user " +
                  std::getenv(kAskingUserVariable) + " asked");

  // The same set-up and gate as every removal, fed the asking user's keep-list (never their
  // settings file) and following no link of theirs, not even in a row's root.
  auto keep = std::make_shared<scan::KeepList>(ownKeep ? *ownKeep : scan::KeepList());
  keep->Add(prepare::BuildKeepList(request.value().keep, {}));
  prepare::RunChoices choices;
  choices.alsoKept = keep;
  choices.packageFilesKept = !options.scan.includePackageFiles;
  prepare::PreparedRun run(std::move(choices));
  auto gate = run.MakeGate({.toTrash = options.trash, .followRootLinks = false});

  const auto& rows = request.value().rows;
  std::vector<std::optional<admin::ReportRow>> decided(rows.size());
  RootCheck roots;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    if (!roots.Canonical(rows[i].root)) {
      decided[i] = admin::RefusedRow(rows[i].path, "link-in-path");
      continue;
    }
    cleanup::DeletionRequest row = rows[i];
    // As administrator only the listed entries go, not the folders they leave empty.
    if (row.tidy == cleanup::Tidy::kEmptyFolders) row.tidy = cleanup::Tidy::kNone;
    decided[i] = admin::ReportRowOf(row.path, gate->Pass(row), options.trash);
  }

  std::vector<admin::ReportRow> report;
  std::string out;
  for (auto& row : decided) {
    out += admin::ReportLine(*row);
    report.push_back(std::move(*row));
  }
  const admin::ReportSummary summary = admin::SummaryOf(report);
  out += admin::SummaryLine(summary);
  if (std::fwrite(out.data(), 1, out.size(), stdout) != out.size() || std::fflush(stdout) != 0)
    return kExitPartial;
  return summary.failed ? kExitPartial : kExitOk;
}

}  // namespace kelvo::cli
