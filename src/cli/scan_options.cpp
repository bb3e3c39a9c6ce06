#include "scan_options.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <sstream>
#include <stdexcept>
#include <thread>

#include "platform/drives.h"
#include "platform/native_path.h"
#include "scan/scan_state.h"
#include "settings/keep_list_file.h"

namespace kelvo::cli {
namespace {

std::vector<std::string> SplitComma(const std::string& text) {
  std::vector<std::string> parts;
  std::stringstream in(text);
  std::string part;
  while (std::getline(in, part, ',')) parts.push_back(part);
  return parts;
}

int PatternIndexByName(std::string_view name) {
  for (std::size_t k = 0; k < scan::kPatternNames.size(); ++k)
    if (name == scan::kPatternNames[k]) return static_cast<int>(k);
  return -1;
}

}  // namespace

unsigned FolderReaders(unsigned threads) {
  // More readers than this only queue up on the same disks.
  constexpr unsigned kMaxReaders = 64;
  // Without --threads the readers follow the disk: one per core on a cached tree, more while
  // reads wait on it.
  return threads ? std::min(kMaxReaders, threads) : scan::ScanState::kReadersAsNeeded;
}

std::string RefuseEmpty(const std::string& value) {
  return value.empty() ? "an empty value names nothing" : std::string();
}

std::string RefuseFlawedPattern(const std::string& pattern) {
  const auto flaw = settings::PatternFlawOf(Utf8ToNative(pattern));
  return flaw ? std::string(settings::PatternFlawText(*flaw)) : std::string();
}

void AddScanOptions(CLI::App& command, ScanOptions& options, bool withFormat) {
  command.add_option(
      "--patterns", options.patterns,
      "Name patterns to look for, comma-separated: indices 0-17 of the pattern list or\n"
      "names (tmp,old,gid,bak,chk,ftg,fts,_mp,syd,wbk,xlk,$$$,@@@,---,??$,??~,dir,~*),\n"
      "or 'recommended' (default), 'all', 'none'");
  command.add_flag("--temp,!--no-temp", options.temp,
                   "Report everything inside folders named temp (default on)");
  command.add_flag("--zero,!--no-zero", options.zero,
                   "Report zero-byte files and empty folders (default off)");
  command.add_option("--special", options.special,
                     "Special folders: comma-separated recent,history,cookies,ie-cache, or 'all',\n"
                     "'none' (default)");
  command.add_option("--locations", options.locations,
                     "Common junk locations, comma-separated: " + LocationKeys() +
                         ",\nor 'all', 'none' (default). Without ROOT only the locations are "
                         "scanned\n(see 'locations')");
  command
      .add_option("--older-than", options.olderThan,
                  "Only files not modified for DAYS days, for every row (app-cache: 30 unless\n"
                  "given)")
      ->type_name("DAYS")
      ->check(CLI::Range(0, 36500));
  if (withFormat)
    command
        .add_option("--format", options.format,
                    "Output format: text (default), tsv, csv, json.\n"
                    "tsv: name, path, type, size separated by tabs, no header; backslash, tab,\n"
                    "  newline and carriage return written as \\\\ \\t \\n \\r.\n"
                    "csv: RFC 4180 with a header line.\n"
                    "json: one object per line (name, path, type, size, rule, kind, root, dev,\n"
                    "  ino, mtime, btime, rule_name; times in nanoseconds since 1970). A text\n"
                    "  that is not valid UTF-8 is given with U+FFFD in place of the bad bytes,\n"
                    "  and exactly as base64 of its bytes under the same key with \"_base64\"\n"
                    "  appended (e.g. path_base64).")
        ->check(CLI::IsMember(kFormatNames));
  command.add_option("--threads", options.threads,
                     "Threads reading folders ahead (default: one per core, up to 32 while reads\n"
                     "  wait on the disk)");
  command.add_flag("--include-package-files", options.includePackageFiles,
                   "Also report files that installed packages own (dpkg, rpm, pacman, apk);\n"
                   "by default they are kept out");
  command
      .add_option("--keep", options.keep,
                  "Keep what this glob pattern matches, for this run, besides the stored\n"
                  "keep-list (see 'keep'); repeatable. '*' and '?' stay within a name, '**'\n"
                  "spans folders; a pattern not starting at / matches at any depth")
      ->check(RefuseFlawedPattern)
      // One pattern per --keep, so that a ROOT after it stays a root.
      ->expected(1)
      ->allow_extra_args(false)
      ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
  command.add_flag("--no-keep-list", options.noKeepList, "Do not read the stored keep-list");
  command.add_option("ROOT", options.roots,
                     "Folders to scan (default: every local fixed disk, see 'drives'; none\n"
                     "with --locations)");
}

std::optional<std::string> ParsePatternList(const std::string& text,
                                            std::array<bool, scan::kPatternCount>& ticks) {
  ticks.fill(false);
  if (text == "none") return std::nullopt;
  if (text == "all") {
    ticks.fill(true);
    return std::nullopt;
  }
  if (text == "recommended") {
    for (int k = 0; k < scan::kPatternCount; ++k)
      ticks[static_cast<std::size_t>(k)] =
          scan::kRecommendedPatterns[static_cast<std::size_t>(k)] == scan::Recommended::kTick;
    return std::nullopt;
  }
  for (const std::string& part : SplitComma(text)) {
    int index = PatternIndexByName(part);
    if (index < 0) {
      try {
        std::size_t used = 0;
        index = std::stoi(part, &used);
        if (used != part.size()) index = -1;
      } catch (const std::logic_error&) {
        // Not a number: reported just below like any index out of range.
      }
    }
    if (index < 0 || index >= scan::kPatternCount)
      return "--patterns: '" + part + "' is not a pattern index 0-17 or name";
    ticks[static_cast<std::size_t>(index)] = true;
  }
  return std::nullopt;
}

std::optional<std::string> ParseSpecialList(const std::string& text, std::array<bool, 4>& ticks) {
  ticks.fill(false);
  if (text == "none") return std::nullopt;
  if (text == "all") {
    ticks.fill(true);
    return std::nullopt;
  }
  static const std::array<std::string, 4> names = {"recent", "history", "cookies", "ie-cache"};
  for (const std::string& part : SplitComma(text)) {
    bool known = false;
    for (std::size_t i = 0; i < names.size(); ++i)
      if (part == names[i]) ticks[i] = known = true;
    if (!known) return "--special: '" + part + "' is not one of recent,history,cookies,ie-cache";
  }
  return std::nullopt;
}

std::string LocationKeys() {
  std::string keys;
  for (const scan::LocationInfo& location : scan::kLocations)
    keys += (keys.empty() ? "" : ",") + std::string(location.key);
  return keys;
}

std::optional<std::string> ParseLocationList(const std::string& text, scan::LocationSet& wanted) {
  wanted.reset();
  if (text == "none") return std::nullopt;
  if (text == "all") {
    wanted.set();
    return std::nullopt;
  }
  for (const std::string& part : SplitComma(text)) {
    const auto location = scan::LocationByKey(part);
    if (!location) return "--locations: '" + part + "' is not one of " + LocationKeys();
    wanted.set(static_cast<std::size_t>(*location));
  }
  return std::nullopt;
}

std::optional<std::string> ResolveScanOptions(const ScanOptions& options,
                                              ResolvedScanOptions& out) {
  std::array<bool, scan::kPatternCount> patterns{};
  if (auto error = ParsePatternList(options.patterns, patterns)) return error;
  std::array<bool, 4> special{};
  if (auto error = ParseSpecialList(options.special, special)) return error;
  out.rules.reset();
  for (int k = 0; k < scan::kPatternCount; ++k)
    out.rules[static_cast<std::size_t>(k + 1)] = patterns[static_cast<std::size_t>(k)];
  out.rules[scan::kTempFolderRule] = options.temp;
  out.rules[scan::kZeroByteRule] = options.zero;
  for (int i = 0; i < 4; ++i)
    out.rules[static_cast<std::size_t>(scan::kRecentRule + i)] =
        special[static_cast<std::size_t>(i)];

  out.format = options.print0 ? OutputFormat::kPaths0 : FormatNamed(options.format);

  if (auto error = ParseLocationList(options.locations, out.locations)) return error;
  out.olderThanDays.reset();
  if (options.olderThan >= 0) out.olderThanDays = options.olderThan;

  out.roots.clear();
  if (options.roots.empty() && out.locations.none()) {
    for (const platform::Drive& d : platform::ListFixedDrives()) out.roots.push_back(d.key);
  } else {
    // With locations and no ROOT, only the locations are walked.
    for (const std::string& text : options.roots) {
      if (text.empty()) return "ROOT: an empty text is not a folder";
      out.roots.push_back(platform::WithTrailingSeparator(Utf8ToNative(text)));
    }
  }
  return std::nullopt;
}

}  // namespace kelvo::cli
