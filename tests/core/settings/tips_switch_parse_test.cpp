// The tips switch's number reading: pure text, the same on every platform.
#include <gtest/gtest.h>

#include "settings/settings_file.h"

namespace kelvo::settings {
namespace {

using namespace std::string_view_literals;

struct ParseCase {
  std::string_view value;
  std::int16_t expected;
};

TEST(TipsSwitch, ParsesTheLeadingNumberAndRoundsHalvesToEven) {
  const ParseCase cases[] = {
      {"1", 1},
      {" 1", 1},
      {"1.4", 1},
      {"0", 0},
      {"2", 2},
      {"0.5", 0},
      {"1.5", 2},
      {"2.5", 2},
      {"3.5", 4},
      {"0.51", 1},
      {"0.5000001", 1},
      {"1.49999", 1},
      {"", 0},
      {"abc", 0},
      {"1abc", 1},
      {"\t\n 1", 1},
      {"1 0", 10},
      {"- 1", -1},
      {"+1", 1},
      {"-1.5", -2},
      {"-0.5", 0},
      {".6", 1},
      {"1.", 1},
      {".", 0},
      {"-", 0},
      {"0001", 1},
      {"1e3", 1},
      {"1,5", 1},
      {"\r1", 0},
      {"32767", 32767},
      {"32767.5", 0},
      {"-32768", -32768},
      {"-32768.5", -32768},
      {"32768", 0},
      {"-32769", 0},
      {"99999999999999999999", 0},
      {"1\0    "sv, 1},
      {"\0"sv
       "1"sv,
       0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ParseTipsSwitch(c.value), c.expected) << "value \"" << c.value << "\"";
  }
}

}  // namespace
}  // namespace kelvo::settings
