#include "cli_scan_sink.h"

#include <cstdio>

namespace kelvo::cli {

CliScanSink::CliScanSink(RowConsumer rows, bool showProgress)
    : rows_(std::move(rows)), showProgress_(showProgress) {}

void CliScanSink::RowFound(scan::JunkItem item) {
  ++totals_.rows;
  if (item.size) totals_.bytes += *item.size;
  if (item.needsAdmin) ++totals_.needAdmin;
  rows_(std::move(item));
}

void CliScanSink::ProgressTick() {
  if (!showProgress_ || ++ticksSinceCheck_ < 4096) return;
  ticksSinceCheck_ = 0;
  auto now = std::chrono::steady_clock::now();
  if (now - lastProgress_ < std::chrono::milliseconds(200)) return;
  lastProgress_ = now;
  PrintProgress();
}

void CliScanSink::PrintProgress() {
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
  std::fprintf(stderr, "\r\033[K%llu folders, %llu hits, %llu bytes, %.1f s",
               static_cast<unsigned long long>(totals_.folders),
               static_cast<unsigned long long>(totals_.rows),
               static_cast<unsigned long long>(totals_.bytes), seconds);
  progressShown_ = true;
}

void CliScanSink::FinishProgress() {
  if (progressShown_) std::fputs("\r\033[K", stderr);
  progressShown_ = false;
}

void CliScanSink::FolderUnreadable(NativeStringView path, std::error_code error) {
  ++totals_.unreadableFolders;
  FinishProgress();
  std::fprintf(stderr, "kelvo-cli: cannot read %s: %s\n",
               EscapeForTerminal(NativeToUtf8(path), Backslashes::kKept).c_str(),
               error.message().c_str());
}

}  // namespace kelvo::cli
