// The scan options of the command line and their parsing.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "platform/native_string.h"
#include "row_writer.h"
#include "scan/junk_rules.h"
#include "scan/location_finder.h"

namespace CLI {
class App;
}

namespace kelvo::cli {

struct ScanOptions {
  std::string patterns = "recommended";
  bool temp = true;
  bool zero = false;
  std::string special = "none";
  std::string locations = "none";
  int olderThan = -1;  // days; -1: not given
  std::string format = "text";
  unsigned threads = 0;  // 0: as many as the disk wants
  std::vector<std::string> roots;
  bool includePackageFiles = false;  // off: files that installed packages own are never rows
  std::vector<std::string> keep;     // patterns kept for this run, besides the stored list
  bool noKeepList = false;           // the stored keep-list is not read
  // scan only: the shared-DLL audit after the walk, and paths ended by NUL instead of rows
  bool dllAudit = false;
  bool print0 = false;
  bool summary = false;  // scan only: files per kind and per disk on stderr after the rows
};

struct ResolvedScanOptions {
  scan::RuleSwitches rules;  // the switches the scan reads for every entry
  OutputFormat format = OutputFormat::kText;
  std::vector<NativeString> roots;  // each ends with the separator
  scan::LocationSet locations;
  std::optional<int> olderThanDays;
};

// Adds the scan options to a command (scan, clean); --format only where rows are printed.
void AddScanOptions(CLI::App& command, ScanOptions& options, bool withFormat = true);

// Threads reading folders ahead of a scan for a --threads value (0: as many as the disk wants).
unsigned FolderReaders(unsigned threads);

// Refuses an empty value (--from "", --from=, --prefix ""): it names nothing, and must never mean
// the default.
std::string RefuseEmpty(const std::string& value);
// A CLI11 check: the reason a keep pattern can never match (see settings::PatternFlawOf), or "".
std::string RefuseFlawedPattern(const std::string& pattern);

// Turns the option texts into switches; returns an error message when one is not understood.
std::optional<std::string> ResolveScanOptions(const ScanOptions& options, ResolvedScanOptions& out);

std::optional<std::string> ParsePatternList(const std::string& text,
                                            std::array<bool, scan::kPatternCount>& ticks);
std::optional<std::string> ParseSpecialList(const std::string& text, std::array<bool, 4>& ticks);
// Every location's key, comma-separated, in the table's order.
std::string LocationKeys();

std::optional<std::string> ParseLocationList(const std::string& text, scan::LocationSet& wanted);

}  // namespace kelvo::cli
