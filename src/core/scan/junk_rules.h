// The fixed table of 24 junk rules, the texts of their enabling options and their type labels.
#pragma once

#include <array>
#include <bitset>
#include <string_view>

namespace kelvo::scan {

inline constexpr int kRuleCount = 24;
inline constexpr int kPatternCount = 18;  // rules 1-18, enabled by pattern options 0-17
inline constexpr int kTempFolderRule = 19;
inline constexpr int kZeroByteRule = 20;
inline constexpr int kRecentRule = 21;
inline constexpr int kHistoryRule = 22;
inline constexpr int kCookiesRule = 23;
inline constexpr int kInternetCacheRule = 24;

// Bit r (1-24) set: rule r is enabled for the entry being examined.
using RuleSwitches = std::bitset<kRuleCount + 1>;

// Texts of the pattern options, index k enabling rule k + 1.
extern const std::array<std::string_view, kPatternCount> kPatternTexts;
// The recommended selection: ticked, cleared, or left as it is (index 13).
enum class Recommended { kTick, kClear, kKeep };
extern const std::array<Recommended, kPatternCount> kRecommendedPatterns;

// The folder rules, in the order of their markers: temp, Recent, History, Cookies, IE cache.
inline constexpr int kMarkerCount = 5;
extern const std::array<std::string_view, kMarkerCount> kMarkerNames;
extern const std::array<int, kMarkerCount> kMarkerRules;

// UTF-8 type labels.
inline constexpr std::string_view kNameRuleLabelSuffix = "临时文件";  // after the extension
inline constexpr std::string_view kEmptyFolderLabel = "空文件夹";
std::string_view FixedLabel(int rule);  // rules 19-24

// Short names that do not depend on the language: the pattern names ("tmp", "bak", "~*", ...) and
// the rule names of rows ("tmp", "temp-folder", "zero-byte", "empty-folder", "dll-audit", ...,
// and a location's key for its rows).
extern const std::array<std::string_view, kPatternCount> kPatternNames;
std::string_view RuleName(int rule, bool emptyFolder);

// Whether name rule r (1-18) matches a name. The name is the last component of the path; the
// suffix rules compare the last four bytes ignoring ASCII case.
template <class CharT>
bool NameRuleMatches(int rule, std::basic_string_view<CharT> name);

// All name rules matching a name at once, as the bits 1-18 of a rule set: one look at the last four
// characters and at the first and last one, without allocating.
template <class CharT>
RuleSwitches MatchingNameRules(std::basic_string_view<CharT> name);

}  // namespace kelvo::scan
