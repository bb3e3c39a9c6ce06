#include "scan/junk_rules.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "scan/folder_markers.h"

namespace kelvo::scan {
namespace {

bool Matches(int rule, std::string_view name) {
  return NameRuleMatches<char>(rule, name);
}

TEST(NameRules, SuffixRulesCompareTheLastFourBytesIgnoringAsciiCase) {
  const char* names[] = {"",      "a.tmp", "a.OLD", "a.Gid", "a.bak", "a.chk", "a.ftg", "a.fts",
                         "a._MP", "a.syd", "a.wbk", "a.xlk", "a.$$$", "a.@@@", "a.---"};
  for (int rule = 1; rule <= 14; ++rule) {
    EXPECT_TRUE(Matches(rule, names[rule])) << rule;
    EXPECT_FALSE(Matches(rule, std::string(names[rule]) + ".txt")) << rule;
  }
  EXPECT_TRUE(Matches(17, "setup.DIR"));
  EXPECT_TRUE(Matches(1, ".tmp"));
  EXPECT_FALSE(Matches(1, "tmp"));
  EXPECT_FALSE(Matches(1, "report.tmp.txt"));
  EXPECT_FALSE(Matches(1, "a.tmp "));        // names are used exactly as they are
  EXPECT_FALSE(Matches(1, "a.\xC3\xB4mp"));  // no folding beyond ASCII
}

TEST(NameRules, SingleCharacterRules) {
  EXPECT_TRUE(Matches(15, "NOTE$"));
  EXPECT_TRUE(Matches(15, "ABC.$$$"));
  EXPECT_TRUE(Matches(16, "doc.tx~"));
  EXPECT_FALSE(Matches(16, "~doc"));
  EXPECT_TRUE(Matches(18, "~DF12.TMP"));
  EXPECT_FALSE(Matches(18, "a~"));
  EXPECT_FALSE(Matches(15, ""));
}

TEST(NameRules, PatternTableMatchesTheDialog) {
  EXPECT_EQ(kPatternTexts[0], "*.tmp(临时文件)");
  EXPECT_EQ(kPatternTexts[17], "~*.*(临时文件)");
  int ticked = 0;
  for (auto r : kRecommendedPatterns) ticked += r == Recommended::kTick;
  EXPECT_EQ(ticked, 10);
  EXPECT_EQ(kRecommendedPatterns[13], Recommended::kKeep);
}

TEST(FolderMarkers, CountsEveryPositionIgnoringCase) {
  FolderMarkers m;
  auto c = m.Count("/TEMP/x/Temp/y/");
  EXPECT_EQ(c[0], 2u);
  EXPECT_EQ(m.Count("/temp/temp/")[0], 2u);  // overlapping at the shared separator
  EXPECT_EQ(m.Count("/temporary/")[0], 0u);
  EXPECT_EQ(m.Count("/a/temp")[0], 0u);  // the folder itself, without its trailing separator
  auto s = m.Count("/u/Recent/History/COOKIES/Temporary Internet Files/");
  EXPECT_EQ(s[1], 1u);
  EXPECT_EQ(s[2], 1u);
  EXPECT_EQ(s[3], 1u);
  EXPECT_EQ(s[4], 1u);
}

TEST(FolderMarkers, ExtendAgreesWithAFullCount) {
  FolderMarkers m;
  std::string path = "/";
  MarkerCounts counts = m.Count(path);
  for (const char* name :
       {"a", "TeMp", "temp", "Recent", "x", "Temporary Internet Files", "temp"}) {
    path += name;
    path += "/";
    counts = m.Extend(counts, path);
    EXPECT_EQ(counts, m.Count(path)) << path;
  }
}

TEST(NameRules, AllAtOnceAgreesWithRuleByRule) {
  const char* names[] = {
      "",        "a",         "~",         "$",     ".tmp",    "x.TMP", "x.tmP ",       "~y.OLD",
      "ABC.$$$", "n.@@@",     "n.---",     "s.Dir", "q.tx~",   "Q.??$", "a.\xC3\xB4mp", "a.wbk",
      "a.XLK",   "._mp",      "a.syd",     "a.ftg", "a.fts",   "a.gid", "a.chk",        "b.bak~",
      "tmp",     "x.tmp.txt", "~DF12.TMP", "..tmp", "a.\x7Fmp"};
  for (const char* raw : names) {
    const std::string_view name(raw);
    const RuleSwitches all = MatchingNameRules<char>(name);
    for (int rule = 1; rule <= kPatternCount; ++rule)
      EXPECT_EQ(all[static_cast<std::size_t>(rule)], Matches(rule, name)) << name << " " << rule;
    for (int rule = kPatternCount + 1; rule <= kRuleCount; ++rule)
      EXPECT_FALSE(all[static_cast<std::size_t>(rule)]);
    const std::wstring wide(name.begin(), name.end());
    EXPECT_EQ(MatchingNameRules<wchar_t>(wide), all) << name;
  }
}

TEST(FolderMarkers, ExtendByNameAgreesWithExtend) {
  FolderMarkers m;
  std::string path = "/x/";
  MarkerCounts byPath = m.Count(path);
  MarkerCounts byName = byPath;
  for (const char* name : {"temp", "TEMP", "tempo", "Recent", "recent", "HISTORY", "cookies",
                           "temporary internet files", "Temporary Internet Files ", "a"}) {
    path += name;
    path += "/";
    byPath = m.Extend(byPath, path);
    byName = m.ExtendByName(byName, name);
    EXPECT_EQ(byName, byPath) << path;
  }
}

}  // namespace
}  // namespace kelvo::scan
