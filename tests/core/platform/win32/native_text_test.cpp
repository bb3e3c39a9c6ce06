// UTF-8 <-> UTF-16 conversion of the Windows back end.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/native_string.h"

namespace kelvo {
namespace {

TEST(NativeText, ChineseAndAstralCharactersRoundTrip) {
  const std::string text = "临时文件 \xF0\x9F\x98\x80 a.tmp";  // U+1F600 needs a surrogate pair
  const NativeString wide = Utf8ToNative(text);
  EXPECT_EQ(wide, L"临时文件 \xD83D\xDE00 a.tmp");
  EXPECT_EQ(NativeToUtf8(wide), text);
  EXPECT_EQ(Utf8ToNative(""), L"");
  EXPECT_EQ(NativeToUtf8(L""), "");
}

TEST(NativeText, MalformedInputBecomesReplacementCharacters) {
  EXPECT_EQ(Utf8ToNative("a\xFF"
                         "b"),
            L"a\xFFFD"
            L"b");
  // Unpaired surrogates (possible in NTFS names) come out as U+FFFD, not as invalid UTF-8.
  EXPECT_EQ(NativeToUtf8(NativeString{L'x', wchar_t(0xD800), L'y'}), "x\xEF\xBF\xBDy");
  EXPECT_EQ(NativeToUtf8(NativeString{wchar_t(0xDC00)}), "\xEF\xBF\xBD");
  EXPECT_EQ(NativeToUtf8(NativeString{L'z', wchar_t(0xDBFF)}), "z\xEF\xBF\xBD");
}

TEST(NativeText, EmbeddedNulIsKept) {
  const NativeString wide(L"a\0b", 3);
  EXPECT_EQ(NativeToUtf8(wide), std::string("a\0b", 3));
  EXPECT_EQ(Utf8ToNative(std::string("a\0b", 3)), wide);
}

TEST(NativeText, AsciiWidensBytewise) {
  EXPECT_EQ(AsciiToNative("\\temp\\"), L"\\temp\\");
}

}  // namespace
}  // namespace kelvo
