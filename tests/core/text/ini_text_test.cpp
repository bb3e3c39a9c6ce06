#include "text/ini_text.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace kelvo::text::ini {
namespace {

using ::testing::Optional;

TEST(IniText, FindsValuesIgnoringCaseAndBlanks) {
  const std::string text =
      "; comment=1\n"
      "[Show]\n"
      "  TS = 1 \n"
      "[check]\r\n"
      "check1=\"quoted value\"\r\n"
      "check2='0'\r\n"
      "[ list1 ]\n"
      "list1=1\n";
  EXPECT_THAT(FindValue(text, "show", "ts"), Optional(std::string("1")));
  EXPECT_THAT(FindValue(text, "SHOW", "Ts"), Optional(std::string("1")));
  EXPECT_THAT(FindValue(text, "check", "check1"), Optional(std::string("quoted value")));
  EXPECT_THAT(FindValue(text, "check", "check2"), Optional(std::string("0")));
  EXPECT_THAT(FindValue(text, "list1", "list1"), Optional(std::string("1")));
}

TEST(IniText, MissingSectionOrKeyGivesNothing) {
  const std::string text = "[show]\nts=1\n[other]\nx=2\n";
  EXPECT_EQ(FindValue(text, "check", "ts"), std::nullopt);
  EXPECT_EQ(FindValue(text, "show", "x"), std::nullopt);  // x belongs to the next section
  EXPECT_EQ(FindValue("", "show", "ts"), std::nullopt);
  EXPECT_EQ(FindValue("ts=1\n", "show", "ts"), std::nullopt);  // before any section
}

TEST(IniText, FirstSectionAndFirstKeyWin) {
  const std::string text = "[show]\nts=first\nts=second\n[show]\nts=third\n";
  EXPECT_THAT(FindValue(text, "show", "ts"), Optional(std::string("first")));
  EXPECT_EQ(AssignValue(text, "show", "ts", "new"),
            "[show]\nts=new\nts=second\n[show]\nts=third\n");
}

TEST(IniText, EmptyValueAndValueWithEqualsSign) {
  const std::string text = "[a]\nempty=\nformula=x=y\n";
  EXPECT_THAT(FindValue(text, "a", "empty"), Optional(std::string()));
  EXPECT_THAT(FindValue(text, "a", "formula"), Optional(std::string("x=y")));
}

TEST(IniText, ByteOrderMarkDoesNotHideTheFirstSection) {
  const std::string text = "\xEF\xBB\xBF[show]\nts=1\n";
  EXPECT_THAT(FindValue(text, "show", "ts"), Optional(std::string("1")));
  EXPECT_EQ(AssignValue(text, "show", "ts", "0"), "\xEF\xBB\xBF[show]\nts=0\n");
}

TEST(IniText, ReplacingAValueTouchesOnlyItsLine) {
  const std::string text =
      "; Kelvo settings\r\n"
      "[unknown]\r\n"
      "name=\xE5\x9E\x83\xE5\x9C\xBE\r\n"
      "\r\n"
      "[show]\r\n"
      "ts=1\r\n"
      "# trailing comment\r\n";
  EXPECT_EQ(AssignValue(text, "show", "ts", "0"),
            "; Kelvo settings\r\n"
            "[unknown]\r\n"
            "name=\xE5\x9E\x83\xE5\x9C\xBE\r\n"
            "\r\n"
            "[show]\r\n"
            "ts=0\r\n"
            "# trailing comment\r\n");
}

TEST(IniText, AReplacedKeyKeepsItsSpellingInTheFile) {
  EXPECT_EQ(AssignValue("[Show]\n  Ts = 1 \n", "SHOW", "ts", "0"), "[Show]\nTs=0\n");
}

TEST(IniText, NewKeyGoesAfterTheSectionsLastLine) {
  const std::string text = "[check]\ncheck1=1\n\n[show]\nts=1\n";
  EXPECT_EQ(AssignValue(text, "check", "check2", "0"),
            "[check]\ncheck1=1\ncheck2=0\n\n[show]\nts=1\n");
  EXPECT_EQ(AssignValue("[check]\n", "check", "check2", "0"), "[check]\ncheck2=0\n");
}

TEST(IniText, NewSectionIsAppendedWithTheFilesLineEnds) {
  EXPECT_EQ(AssignValue("", "show", "ts", "1"), "[show]\nts=1\n");
  EXPECT_EQ(AssignValue("[a]\r\nx=1\r\n", "show", "ts", "1"), "[a]\r\nx=1\r\n[show]\r\nts=1\r\n");
  // A last line without its line end gets one before anything is added.
  EXPECT_EQ(AssignValue("[a]\r\nx=1", "show", "ts", "1"), "[a]\r\nx=1\r\n[show]\r\nts=1\r\n");
  EXPECT_EQ(AssignValue("[a]\nx=1", "a", "y", "2"), "[a]\nx=1\ny=2\n");
  EXPECT_EQ(AssignValue("[a]\nx=1", "a", "x", "2"), "[a]\nx=2");
}

TEST(IniText, TheKeyList1InsideSectionList1IsAnOrdinaryKey) {
  std::string text;
  for (int i = 0; i < 3; ++i) {
    text = AssignValue(text, "list1", "list" + std::to_string(i), i == 1 ? "0" : "1");
  }
  EXPECT_EQ(text, "[list1]\nlist0=1\nlist1=0\nlist2=1\n");
  EXPECT_THAT(FindValue(text, "list1", "list1"), Optional(std::string("0")));
}

TEST(IniText, LimitKeepsAtMost253BytesAndWholeCharacters) {
  EXPECT_EQ(LimitValue(std::string(300, 'a')), std::string(253, 'a'));
  EXPECT_EQ(LimitValue(std::string(253, 'a')), std::string(253, 'a'));
  // "垃" is three bytes; 252 ASCII bytes leave room for none of it.
  std::string value = std::string(252, 'a') + "\xE5\x9E\x83" + "tail";
  EXPECT_EQ(LimitValue(value), std::string(252, 'a'));
  value = std::string(250, 'a') + "\xE5\x9E\x83" + "tail";
  EXPECT_EQ(LimitValue(value), std::string(250, 'a') + "\xE5\x9E\x83");
}

TEST(IniText, RefusesTextsThatWouldBreakTheFile) {
  EXPECT_TRUE(IsWritable("show", "ts", "1"));
  EXPECT_TRUE(IsWritable("show", "ts", ""));
  EXPECT_FALSE(IsWritable("", "ts", "1"));
  EXPECT_FALSE(IsWritable("show", "", "1"));
  EXPECT_FALSE(IsWritable("sh]ow", "ts", "1"));
  EXPECT_FALSE(IsWritable("show", "t=s", "1"));
  EXPECT_FALSE(IsWritable("show", "[ts", "1"));
  EXPECT_FALSE(IsWritable("show", " ts", "1"));
  EXPECT_FALSE(IsWritable("show", "ts", "1\n[evil]"));
  EXPECT_FALSE(IsWritable("show", "ts", "1\r"));
  EXPECT_FALSE(IsWritable("show", "ts", std::string("1\0", 2)));
}

}  // namespace
}  // namespace kelvo::text::ini
