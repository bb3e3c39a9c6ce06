#include "prepare/prepared_run.h"

namespace kelvo::prepare {

PreparedRun::PreparedRun(RunChoices choices)
    : choices_(std::move(choices)),
      keepSource_(choices_.settingsPath, choices_.keepPatterns, choices_.alsoKept) {
  if (choices_.packageFilesKept)
    packageFilter_ =
        choices_.packageFilter
            ? choices_.packageFilter()
            : std::make_unique<scan::PackageFilter>(platform::SystemPackageDatabases());
  auto current = keepSource_.Current();
  if (current) {
    keep_ = *current;
  } else {
    keepError_ = current.error();
    auto fallback = std::make_shared<scan::KeepList>(BuildKeepList({}, choices_.keepPatterns));
    if (choices_.alsoKept) fallback->Add(*choices_.alsoKept);
    keep_ = std::move(fallback);
  }
}

PreparedRun::~PreparedRun() = default;

void PreparedRun::Configure(scan::ScanState& state) {
  state.folderReaders = choices_.folderReaders;
  state.packageFiles = packageFilter_.get();
  state.keepList = keep_->empty() ? nullptr : keep_.get();
  if (!rights_) rights_ = platform::MakeNativeRemovalRights();
  state.removalRights = rights_.get();
}

std::unique_ptr<cleanup::RemovalGate> PreparedRun::MakeGate(const RemovalChoices& choices) {
  cleanup::GateChoices gate;
  gate.toTrash = choices.toTrash;
  gate.dryRun = choices.dryRun;
  gate.followRootLinks = choices.followRootLinks;
  gate.keep = &keepSource_;
  gate.packageFiles = packageFilter_.get();
  return std::make_unique<cleanup::RemovalGate>(gate);
}

}  // namespace kelvo::prepare
