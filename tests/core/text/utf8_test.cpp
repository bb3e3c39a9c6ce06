#include "text/utf8.h"

#include <gtest/gtest.h>

namespace kelvo::text {
namespace {

std::size_t Length(std::string_view bytes, Surrogates surrogates = Surrogates::kRejected) {
  return DecodeUtf8At(bytes, 0, surrogates).length;
}

TEST(Utf8, DecodesWellFormedCharactersAndRefusesTheRest) {
  EXPECT_EQ(DecodeUtf8At("a", 0, Surrogates::kRejected).codePoint, U'a');
  EXPECT_EQ(DecodeUtf8At("\xE6\xBC\x94", 0, Surrogates::kRejected).codePoint, U'演');
  EXPECT_EQ(DecodeUtf8At("\xF0\x9F\x98\x80", 0, Surrogates::kRejected).codePoint, U'\U0001F600');
  EXPECT_EQ(Length("\xC0\x80"), 0u);          // overlong NUL
  EXPECT_EQ(Length("\xE0\x80\x80"), 0u);      // overlong three-byte form
  EXPECT_EQ(Length("\xF0\x80\x80\x80"), 0u);  // overlong four-byte form
  EXPECT_EQ(Length("\xF4\x90\x80\x80"), 0u);  // above U+10FFFF
  EXPECT_EQ(Length("\xE6\xBC"), 0u);          // cut short
  EXPECT_EQ(Length("\x80"), 0u);              // a continuation byte alone
}

TEST(Utf8, SurrogatesCountOnlyWhereTheReaderAcceptsThem) {
  EXPECT_EQ(Length("\xED\xA0\x80"), 0u);
  EXPECT_EQ(Length("\xED\xA0\x80", Surrogates::kAccepted), 3u);
  std::string out;
  AppendUtf8(out, 0xD800);
  EXPECT_EQ(out, "\xED\xA0\x80");
}

}  // namespace
}  // namespace kelvo::text
