#include "platform/native_path.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace kelvo::platform {
namespace {

TEST(NativePath, FileNameIsTheTextAfterTheLastSeparator) {
  const char sep = '\\';
  EXPECT_EQ(GetFileName<char>("C:\\A\\B.TXT", sep), "B.TXT");
  EXPECT_EQ(GetFileName<char>("C:\\A\\", sep), "");
  EXPECT_EQ(GetFileName<char>("C:\\A\\..", sep), "..");
  EXPECT_EQ(GetFileName<char>("NAME", sep), "NAME");
  EXPECT_EQ(GetFileName<char>("", sep), "");
  // The native form splits at the platform's separator only.
  EXPECT_EQ(GetFileName(NativeStringView("/a/b\\c.tmp")), "b\\c.tmp");
}

TEST(NativePath, ExtensionSearchesTheWholePath) {
  EXPECT_EQ(GetExtension<char>("C:\\A\\B.TXT"), "TXT");
  EXPECT_EQ(GetExtension<char>("C:\\A\\B.TAR.GZ"), "GZ");
  EXPECT_EQ(GetExtension<char>("C:\\A\\B."), "");
  EXPECT_EQ(GetExtension<char>("C:\\A.D\\NAME"), "D\\NAME");
  EXPECT_EQ(GetExtension<char>("C:\\A\\NAME"), "C:\\A\\NAME");
  EXPECT_EQ(GetExtension<char>(""), "");
}

TEST(NativePath, CutAtNulKeepsTextBeforeTheFirstNul) {
  using namespace std::string_view_literals;
  EXPECT_EQ(CutAtNul<char>("C:\\WINDOWS\0   \0x"sv), "C:\\WINDOWS");
  EXPECT_EQ(CutAtNul<char>("no nul"sv), "no nul");
  EXPECT_EQ(CutAtNul<char>("\0abc"sv), "");
  EXPECT_EQ(CutAtNul<wchar_t>(L"wide\0rest"sv), L"wide");
}

// Native text from ASCII with "/" written as the platform's separator.
NativeString N(std::string_view ascii) {
  NativeString out = AsciiToNative(ascii);
  for (NativeChar& c : out)
    if (c == NativeChar('/')) c = kSeparator;
  return out;
}

TEST(NativePath, ParentFolderIgnoresSeparatorsAtTheEndAndKeepsTheRoot) {
  EXPECT_EQ(ParentFolder(N("/a/b/c.tmp")), N("/a/b"));
  EXPECT_EQ(ParentFolder(N("/a/b//")), N("/a"));
  EXPECT_EQ(ParentFolder(N("/a")), N("/"));
  EXPECT_EQ(ParentFolder(N("/")), N(""));
  EXPECT_EQ(ParentFolder(N("name")), N(""));
  EXPECT_EQ(ParentFolder(N("")), N(""));
}

TEST(NativePath, TrailingSeparatorsAreAddedOnceAndTakenOffDownToTheRoot) {
  EXPECT_EQ(WithTrailingSeparator(N("/a")), N("/a/"));
  EXPECT_EQ(WithTrailingSeparator(N("/a/")), N("/a/"));
  EXPECT_EQ(WithTrailingSeparator(N("")), N("/"));
  EXPECT_EQ(NativeString(WithoutTrailingSeparators(N("/a///"))), N("/a"));
  EXPECT_EQ(NativeString(WithoutTrailingSeparators(N("///"))), N("/"));
  EXPECT_EQ(NativeString(WithoutTrailingSeparators(N(""))), N(""));
}

TEST(NativePath, JoinAddsTheSeparatorWhateverTheFolderEndsWith) {
  EXPECT_EQ(JoinPath(N("/a"), N("b")), N("/a/b"));
  EXPECT_EQ(JoinPath(N("/a/"), N("b")), N("/a//b"));
  EXPECT_EQ(JoinPath(N(""), N("b")), N("/b"));
  EXPECT_TRUE(IsSeparator(NativeChar('/')));
  EXPECT_TRUE(IsSeparator(kSeparator));
  EXPECT_FALSE(IsSeparator(NativeChar('a')));
}

}  // namespace
}  // namespace kelvo::platform
