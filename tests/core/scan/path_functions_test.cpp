#include "scan/path_functions.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace kelvo::scan {
namespace {

TEST(PathFunctions, FileNameIsTheTextAfterTheLastSeparator) {
  const char sep = '\\';
  EXPECT_EQ(GetFileName<char>("C:\\A\\B.TXT", sep), "B.TXT");
  EXPECT_EQ(GetFileName<char>("C:\\A\\", sep), "");
  EXPECT_EQ(GetFileName<char>("C:\\A\\..", sep), "..");
  EXPECT_EQ(GetFileName<char>("NAME", sep), "NAME");
  EXPECT_EQ(GetFileName<char>("", sep), "");
  // The native form splits at the platform's separator only.
  EXPECT_EQ(GetFileName(NativeStringView("/a/b\\c.tmp")), "b\\c.tmp");
}

TEST(PathFunctions, ExtensionSearchesTheWholePath) {
  EXPECT_EQ(GetExtension<char>("C:\\A\\B.TXT"), "TXT");
  EXPECT_EQ(GetExtension<char>("C:\\A\\B.TAR.GZ"), "GZ");
  EXPECT_EQ(GetExtension<char>("C:\\A\\B."), "");
  EXPECT_EQ(GetExtension<char>("C:\\A.D\\NAME"), "D\\NAME");
  EXPECT_EQ(GetExtension<char>("C:\\A\\NAME"), "C:\\A\\NAME");
  EXPECT_EQ(GetExtension<char>(""), "");
}

TEST(PathFunctions, CutAtNulKeepsTextBeforeTheFirstNul) {
  using namespace std::string_view_literals;
  EXPECT_EQ(CutAtNul<char>("C:\\WINDOWS\0   \0x"sv), "C:\\WINDOWS");
  EXPECT_EQ(CutAtNul<char>("no nul"sv), "no nul");
  EXPECT_EQ(CutAtNul<char>("\0abc"sv), "");
  EXPECT_EQ(CutAtNul<wchar_t>(L"wide\0rest"sv), L"wide");
}

}  // namespace
}  // namespace kelvo::scan
