// The long form of paths handed to the wide API.
#include "platform/win32/long_path.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace kelvo::platform {
namespace {

NativeString Long(const NativeString& path) {
  std::error_code ec;
  NativeString out = ToLongPath(path, ec);
  EXPECT_FALSE(ec) << ec.message();
  return out;
}

TEST(LongPath, AbsolutePathsAreNormalisedAndPrefixed) {
  EXPECT_EQ(Long(L"C:\\"), L"\\\\?\\C:\\");
  EXPECT_EQ(Long(L"C:\\a\\.\\b\\..\\c\\"), L"\\\\?\\C:\\a\\c\\");
  EXPECT_EQ(Long(L"C:/a/b"), L"\\\\?\\C:\\a\\b");
  EXPECT_EQ(Long(L"\\\\server\\share\\x\\"), L"\\\\?\\UNC\\server\\share\\x\\");
}

TEST(LongPath, PrefixedPathsAreKept) {
  EXPECT_EQ(Long(L"\\\\?\\C:\\a\\..\\b"), L"\\\\?\\C:\\a\\..\\b");
}

TEST(LongPath, RelativePathsStartAtTheCurrentFolder) {
  wchar_t cwd[MAX_PATH];
  const DWORD n = ::GetCurrentDirectoryW(MAX_PATH, cwd);
  NativeString expected = L"\\\\?\\" + NativeString(cwd, n);
  if (expected.back() != L'\\') expected += L'\\';
  EXPECT_EQ(Long(L"sub\\"), expected + L"sub\\");
}

TEST(LongPath, PathsLongerThanMaxPathAreKeptWhole) {
  NativeString path = L"C:";
  for (int i = 0; i < 40; ++i)
    path += L"\\" + NativeString(30, static_cast<wchar_t>(L'a' + i % 26));
  const NativeString out = Long(path);
  EXPECT_EQ(out, L"\\\\?\\" + path);
  EXPECT_GT(out.size(), static_cast<std::size_t>(MAX_PATH));
}

TEST(LongPath, EmptyPathIsAnError) {
  std::error_code ec;
  EXPECT_TRUE(ToLongPath(L"", ec).empty());
  EXPECT_EQ(ec, std::errc::no_such_file_or_directory);
}

}  // namespace
}  // namespace kelvo::platform
