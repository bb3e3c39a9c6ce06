// Reading one registry value as a count, and the UTF-16 helpers it rests on.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "components/registry_value.h"
#include "text/utf16_text.h"

namespace kelvo::components {
namespace {

using text::EqualIgnoringCase;
using text::FoldCase;
using text::Utf16ToUtf8;
using text::Utf8ToUtf16;

TEST(TextIsZero, ReadsNumbersAsTextsWrittenByInstallers) {
  for (const char16_t* zero : {u"0", u"00", u" 0 ", u"\t0", u"-0", u"+0", u"0.0", u".0", u"0.",
                               u"0e5", u"0E-3", u"&H0", u"&h000", u"&O0"})
    EXPECT_EQ(TextIsZero(zero), true) << Utf16ToUtf8(zero);
  for (const char16_t* other : {u"1", u" 12 ", u"-1", u"0.5", u"&H10", u"1e0", u"&O7"})
    EXPECT_EQ(TextIsZero(other), false) << Utf16ToUtf8(other);
  for (const char16_t* text : {u"", u" ", u"abc", u"0x0", u"0 0", u"--0", u"&H", u"&O8", u"e0",
                               u"0e", u".", u"0zero", u"\uff10"})
    EXPECT_EQ(TextIsZero(text), std::nullopt) << Utf16ToUtf8(text);
}

TEST(IsZeroCount, ListsOnlyANumberOrTextOfZero) {
  EXPECT_TRUE(IsZeroCount(RegValue{std::int32_t{0}}));
  EXPECT_FALSE(IsZeroCount(RegValue{std::int32_t{-1}}));
  EXPECT_TRUE(IsZeroCount(RegValue{std::u16string(u"0")}));
  EXPECT_FALSE(IsZeroCount(RegValue{std::u16string(u"none")}));
  EXPECT_FALSE(IsZeroCount(RegValue{}));
}

TEST(Utf16Text, RoundTripsEveryUnitIncludingUnpairedSurrogates) {
  const std::u16string text = std::u16string(u"a\u00e9\u6f14\U0001F600") + char16_t{0xD800} + u"x" +
                              char16_t{0xDC00} + std::u16string(1, u'\0');
  const std::string utf8 = Utf16ToUtf8(text);
  EXPECT_EQ(utf8.substr(0, 10), "a\xc3\xa9\xe6\xbc\x94\xf0\x9f\x98\x80");
  EXPECT_EQ(Utf8ToUtf16(utf8), text);
  EXPECT_EQ(Utf8ToUtf16("\xff"
                        "a\xc3"),
            u"\uFFFDa\uFFFD");
  EXPECT_EQ(Utf8ToUtf16("\xc0\x80"), u"\uFFFD\uFFFD");  // overlong
}

TEST(Utf16Text, FoldsCaseLikeTheRegistry) {
  EXPECT_TRUE(EqualIgnoringCase(u"SharedDLLs", u"shareddlls"));
  EXPECT_TRUE(EqualIgnoringCase(u"ÉTÉ Ÿ", u"été ÿ"));
  EXPECT_TRUE(EqualIgnoringCase(u"ĀĂĹŁŽ", u"āăĺłž"));
  EXPECT_TRUE(EqualIgnoringCase(u"ΣΩ ПРИВЕТ ЁЂ", u"σω привет ёђ"));
  EXPECT_TRUE(EqualIgnoringCase(u"ＡＢ", u"ａｂ"));
  EXPECT_FALSE(EqualIgnoringCase(u"a", u"b"));
  EXPECT_FALSE(EqualIgnoringCase(u"×", u"÷"));
  EXPECT_FALSE(EqualIgnoringCase(u"ab", u"a"));
  EXPECT_EQ(FoldCase(u'演'), u'演');
}

}  // namespace
}  // namespace kelvo::components
