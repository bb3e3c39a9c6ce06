#include "cli_scan_controls.h"

#include <cstdio>

namespace kelvo::cli {

CliScanControls::CliScanControls(scan::RuleSwitches rules, std::vector<NativeString> roots,
                                 RowSink sink, bool showProgress, bool audit)
    : rules_(rules),
      roots_(std::move(roots)),
      sink_(std::move(sink)),
      showProgress_(showProgress),
      audit_(audit) {}

std::size_t CliScanControls::AddScannedFolder(NativeStringView) {
  return static_cast<std::size_t>(++totals_.folders);
}

void CliScanControls::AddJunkItem(scan::JunkItem item) {
  ++totals_.rows;
  if (item.size) totals_.bytes += *item.size;
  sink_(std::move(item));
}

bool CliScanControls::PatternTicked(int index) {
  return index >= 0 && index < scan::kPatternCount && rules_[static_cast<std::size_t>(index + 1)];
}

bool CliScanControls::NodeTicked(int node) {
  const int drives = DriveNodeCount();
  if (node >= 2 && node <= drives + 1) return true;
  for (int which = 0; which < 4; ++which)
    if (node == scan::SpecialFolderNode(drives, which))
      return rules_[static_cast<std::size_t>(scan::kRecentRule + which)];
  return false;
}

NativeString CliScanControls::NodeKey(int node) {
  if (node >= 2 && node <= DriveNodeCount() + 1) return roots_[static_cast<std::size_t>(node - 2)];
  return {};
}

void CliScanControls::Pump() {
  if (!showProgress_ || ++pumpsSinceCheck_ < 4096) return;
  pumpsSinceCheck_ = 0;
  auto now = std::chrono::steady_clock::now();
  if (now - lastProgress_ < std::chrono::milliseconds(200)) return;
  lastProgress_ = now;
  PrintProgress();
}

void CliScanControls::PrintProgress() {
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
  std::fprintf(stderr, "\r\033[K%llu folders, %llu hits, %llu bytes, %.1f s",
               static_cast<unsigned long long>(totals_.folders),
               static_cast<unsigned long long>(totals_.rows),
               static_cast<unsigned long long>(totals_.bytes), seconds);
  progressShown_ = true;
}

void CliScanControls::FinishProgress() {
  if (progressShown_) std::fputs("\r\033[K", stderr);
  progressShown_ = false;
}

void CliScanControls::FolderUnreadable(NativeStringView path, std::error_code error) {
  ++totals_.unreadableFolders;
  FinishProgress();
  std::fprintf(stderr, "kelvo-cli: cannot read %s: %s\n",
               EscapeForTerminal(NativeToUtf8(path), Backslashes::kKept).c_str(),
               error.message().c_str());
}

}  // namespace kelvo::cli
