// One prepared set-up for a run of either program: the threads that read folders, the keep-list,
// the package filter and the removal gate, made once from the user's choices, so that no entry
// point (a scan, a clean, a list, the window) can leave a filter out.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <system_error>
#include <vector>

#include "cleanup/removal_gate.h"
#include "platform/native_string.h"
#include "platform/removal_rights.h"
#include "prepare/stored_keep_list.h"
#include "scan/keep_list.h"
#include "scan/package_filter.h"
#include "scan/scan_state.h"

namespace kelvo::prepare {

struct RunChoices {
  NativeString settingsPath;               // the stored keep-list's file; empty: none is read
  std::vector<NativeString> keepPatterns;  // kept for this run only, besides the stored list
  std::shared_ptr<const scan::KeepList> alsoKept;  // kept besides them (the window's own list)
  bool packageFilesKept = true;                    // off: package files may be rows and be removed
  // Makes the package filter (tests); unset: the installed packages' lists.
  std::function<std::unique_ptr<scan::PackageFilter>()> packageFilter;
  unsigned folderReaders = 1;
};

struct RemovalChoices {
  bool toTrash = false;
  bool dryRun = false;
  bool followRootLinks = true;  // off for a step taken on another user's behalf
};

class PreparedRun {
 public:
  // Reads the keep-list and starts loading the package lists on a thread of their own.
  explicit PreparedRun(RunChoices choices);
  ~PreparedRun();
  PreparedRun(const PreparedRun&) = delete;
  PreparedRun& operator=(const PreparedRun&) = delete;

  // Why the stored keep-list could not be read, if it could not: a scan goes on without it and
  // says so; every removal is refused until it can be read.
  std::optional<std::error_code> KeepListError() const { return keepError_; }
  // The keep-list a scan uses (read at the start; empty when it could not be read).
  const scan::KeepList& KeepList() const { return *keep_; }
  scan::PackageFilter* PackageFiles() { return packageFilter_.get(); }

  // The readers, the keep-list, the package filter and the test of which rows only an
  // administrator could remove into a scan's state.
  void Configure(scan::ScanState& state);

  // The gate for this run's removals: the keep-list as the file holds it at every row.
  std::unique_ptr<cleanup::RemovalGate> MakeGate(const RemovalChoices& choices);

 private:
  RunChoices choices_;
  StoredKeepList keepSource_;
  std::shared_ptr<const scan::KeepList> keep_;
  std::optional<std::error_code> keepError_;
  std::unique_ptr<scan::PackageFilter> packageFilter_;
  std::unique_ptr<platform::RemovalRights> rights_;  // which rows need an administrator
};

}  // namespace kelvo::prepare
