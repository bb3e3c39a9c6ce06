#include "scan/junk_rules.h"

#include <cstdint>
#include <string>
#include <type_traits>

#include "scan/locations.h"

namespace kelvo::scan {

const std::array<std::string_view, kPatternCount> kPatternTexts = {
    "*.tmp(临时文件)",       "*.old(旧备份文件)",       "*.gid(帮助临时文件)",
    "*.bak(临时备份文件)",   "*.chk(丢失的簇恢复文件)", "*.ftg(帮助的临时文件)",
    "*.fts(帮助的临时文件)", "*._mp(临时文件)",         "*.syd(临时文件)",
    "*.wbk(Word的备份文件)", "*.xlk(Excel的备份文件)",  "*.$$$(异常的临时文件)",
    "*.@@@(异常的临时文件)", "*.---(临时文件)",         "*.??$(临时文件)",
    "*.??~(临时文件)",       "*.dir(安装临时文件)",     "~*.*(临时文件)",
};

const std::array<std::string_view, kPatternCount> kPatternNames = {
    "tmp", "old", "gid", "bak", "chk", "ftg", "fts", "_mp", "syd",
    "wbk", "xlk", "$$$", "@@@", "---", "??$", "??~", "dir", "~*",
};

std::string_view RuleName(int rule, bool emptyFolder) {
  if (rule >= 1 && rule <= kPatternCount) return kPatternNames[static_cast<std::size_t>(rule - 1)];
  switch (rule) {
    case 0:
      return "dll-audit";
    case kTempFolderRule:
      return "temp-folder";
    case kZeroByteRule:
      return emptyFolder ? "empty-folder" : "zero-byte";
    case kRecentRule:
      return "recent";
    case kHistoryRule:
      return "history";
    case kCookiesRule:
      return "cookies";
    case kInternetCacheRule:
      return "ie-cache";
    default:
      if (const auto location = LocationOfRule(rule))
        return kLocations[static_cast<std::size_t>(*location)].key;
      return "unknown";
  }
}

const std::array<Recommended, kPatternCount> kRecommendedPatterns = {
    Recommended::kTick,  Recommended::kTick,  Recommended::kTick,  Recommended::kTick,
    Recommended::kTick,  Recommended::kClear, Recommended::kClear, Recommended::kClear,
    Recommended::kClear, Recommended::kClear, Recommended::kClear, Recommended::kTick,
    Recommended::kTick,  Recommended::kKeep,  Recommended::kTick,  Recommended::kTick,
    Recommended::kTick,  Recommended::kClear,
};

const std::array<std::string_view, kMarkerCount> kMarkerNames = {
    "temp", "Recent", "History", "Cookies", "Temporary Internet Files"};
const std::array<int, kMarkerCount> kMarkerRules = {kTempFolderRule, kRecentRule, kHistoryRule,
                                                    kCookiesRule, kInternetCacheRule};

std::string_view FixedLabel(int rule) {
  switch (rule) {
    case kTempFolderRule:
      return "Temp临时文件";
    case kZeroByteRule:
      return "零字节文件";
    case kRecentRule:
      return "最近的文档";
    case kHistoryRule:
      return "历史文档文件";
    case kCookiesRule:
      return "IE Cookies文件";
    case kInternetCacheRule:
      return "IE临时缓存文件";
    default:
      return {};
  }
}

namespace {

// Suffixes of the four-character rules, indexed by rule number; empty for the other rules.
constexpr std::array<std::string_view, kPatternCount + 1> kSuffixes = {
    "",     ".tmp", ".old", ".gid", ".bak", ".chk", ".ftg", ".fts", "._mp", ".syd",
    ".wbk", ".xlk", ".$$$", ".@@@", ".---", "",     "",     ".dir", ""};

template <class CharT>
constexpr CharT AsciiUpper(CharT c) {
  return (c >= 'a' && c <= 'z') ? static_cast<CharT>(c - 'a' + 'A') : c;
}

}  // namespace

template <class CharT>
bool NameRuleMatches(int rule, std::basic_string_view<CharT> name) {
  if (rule < 1 || rule > kPatternCount || name.empty()) return false;
  switch (rule) {
    case 15:
      return name.back() == static_cast<CharT>('$');
    case 16:
      return name.back() == static_cast<CharT>('~');
    case 18:
      return name.front() == static_cast<CharT>('~');
    default:
      break;
  }
  std::string_view suffix = kSuffixes[static_cast<std::size_t>(rule)];
  if (name.size() < suffix.size()) return false;
  auto tail = name.substr(name.size() - suffix.size());
  for (std::size_t i = 0; i < suffix.size(); ++i)
    if (AsciiUpper(tail[i]) != AsciiUpper(static_cast<CharT>(suffix[i]))) return false;
  return true;
}

// The three characters after the dot of each four-character suffix, upper-cased and packed; 0 for
// the rules without one.
constexpr std::array<std::uint32_t, kPatternCount + 1> PackedSuffixes() {
  std::array<std::uint32_t, kPatternCount + 1> packed{};
  for (std::size_t rule = 1; rule <= kPatternCount; ++rule) {
    if (kSuffixes[rule].size() != 4) continue;
    for (std::size_t i = 1; i < 4; ++i)
      packed[rule] =
          (packed[rule] << 8) | static_cast<unsigned char>(AsciiUpper(kSuffixes[rule][i]));
  }
  return packed;
}
constexpr auto kPackedSuffixes = PackedSuffixes();

template <class CharT>
std::uint32_t AsciiUpperCode(CharT c) {
  const auto code = static_cast<std::make_unsigned_t<CharT>>(c);
  if (code > 0x7F) return 0x100;  // never part of a suffix
  return static_cast<std::uint32_t>(AsciiUpper(static_cast<char>(code)));
}

template <class CharT>
RuleSwitches MatchingNameRules(std::basic_string_view<CharT> name) {
  RuleSwitches hits;
  if (name.empty()) return hits;
  if (name.back() == static_cast<CharT>('$')) hits.set(15);
  if (name.back() == static_cast<CharT>('~')) hits.set(16);
  if (name.front() == static_cast<CharT>('~')) hits.set(18);
  if (name.size() < 4 || name[name.size() - 4] != static_cast<CharT>('.')) return hits;
  // Every four-character suffix starts with a dot; the other three characters decide.
  const std::uint32_t a = AsciiUpperCode(name[name.size() - 3]);
  const std::uint32_t b = AsciiUpperCode(name[name.size() - 2]);
  const std::uint32_t c = AsciiUpperCode(name[name.size() - 1]);
  if ((a | b | c) > 0xFF) return hits;
  const std::uint32_t tail = (a << 16) | (b << 8) | c;
  for (std::size_t rule = 1; rule <= kPatternCount; ++rule) {
    if (kPackedSuffixes[rule] != 0 && kPackedSuffixes[rule] == tail) {
      hits.set(rule);
      break;  // the suffixes differ from each other
    }
  }
  return hits;
}

template bool NameRuleMatches<char>(int, std::basic_string_view<char>);
template bool NameRuleMatches<wchar_t>(int, std::basic_string_view<wchar_t>);
template RuleSwitches MatchingNameRules<char>(std::basic_string_view<char>);
template RuleSwitches MatchingNameRules<wchar_t>(std::basic_string_view<wchar_t>);

}  // namespace kelvo::scan
