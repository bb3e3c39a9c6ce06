// The locations' table is the one list: the help, the completions, the manual, the README and the
// English translation name every location it holds, and the rule numbers of json stay put.
#include <fstream>
#include <regex>
#include <set>
#include <sstream>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "scan/locations.h"
#include "support/run_process.h"

namespace kelvo::cli {
namespace {

using ::testing::HasSubstr;

std::string Source(const std::string& relative) {
  std::ifstream in(std::string(KELVO_SOURCE_DIR) + "/" + relative);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

std::set<std::string> TableKeys() {
  std::set<std::string> keys{"all", "none"};
  for (const scan::LocationInfo& l : scan::kLocations) keys.emplace(l.key);
  return keys;
}

// The words of the line (or lines, up to the closing quote) after marker.
std::set<std::string> WordsAfter(const std::string& text, const std::string& marker, char quote) {
  const std::size_t at = text.find(marker);
  EXPECT_NE(at, std::string::npos) << marker;
  if (at == std::string::npos) return {};
  const std::size_t start = at + marker.size();
  std::istringstream words(text.substr(start, text.find(quote, start) - start));
  std::set<std::string> out;
  for (std::string w; words >> w;) out.insert(w);
  return out;
}

TEST(LocationTable, CompletionsOfferEveryKeyAndNoOther) {
  auto offered = [](const std::string& file, const std::string& before, char quote) {
    std::set<std::string> words = WordsAfter(Source(file), before + "thumbnails", quote);
    words.insert("thumbnails");
    return words;
  };
  EXPECT_EQ(offered("data/completions/kelvo-cli.bash", "-W \"", '"'), TableKeys());
  EXPECT_EQ(offered("data/completions/kelvo-cli.fish", "-a '", '\''), TableKeys());
  EXPECT_EQ(offered("data/completions/_kelvo-cli", "location ", '\''), TableKeys());
}

TEST(LocationTable, TheManualTheReadmeAndTheTranslationNameEveryLocation) {
  const std::string man = Source("docs/man/kelvo-cli.1.scd");
  const std::string readme = Source("README.md");
  const std::string ts = Source("src/ui/translations/kelvo_en.ts");
  for (const scan::LocationInfo& l : scan::kLocations) {
    const std::string key(l.key), label(l.label), english(l.englishLabel);
    EXPECT_THAT(man, HasSubstr("*" + key + "* (" + label + ")"));
    EXPECT_THAT(man, HasSubstr("*" + key + "*,"));  // in --locations
    EXPECT_THAT(readme, HasSubstr("| `" + key + "` | " + label + " |"));
    EXPECT_THAT(ts, HasSubstr("<source>" + label + "</source>\n        <translation>" + english +
                              "</translation>"));
  }
}

TEST(LocationTable, HelpAndKeyCheckComeFromTheTableAndRuleNumbersStay) {
  const auto help = testing::RunProcess(KELVO_CLI_PATH, {"scan", "--help"});
  const auto bad = testing::RunProcess(KELVO_CLI_PATH, {"scan", "--locations=nowhere"});
  for (const scan::LocationInfo& l : scan::kLocations) {
    EXPECT_THAT(help.out, HasSubstr(std::string(l.key)));
    EXPECT_THAT(bad.err, HasSubstr(std::string(l.key)));
  }
  // Rows of json keep the numbers they had; new locations come after.
  EXPECT_EQ(scan::LocationRule(scan::kThumbnails), 25);
  EXPECT_EQ(scan::LocationRule(scan::kOldLogs), 31);
  EXPECT_EQ(scan::LocationRule(scan::kArchivedJournal), 36);
}

}  // namespace
}  // namespace kelvo::cli
