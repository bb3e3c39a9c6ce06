// The Win32 directory service on real trees: listing, the attribute word, sizes, identity, links.
#include <windows.h>

#include <algorithm>
#include <map>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/file_system.h"
#include "platform/win32/win32_error.h"
#include "support/temp_tree.h"

namespace kelvo::platform {
namespace {

using testing::TempTree;

struct Listed {
  EntryType type;
  std::uint32_t attributes;
};

std::map<NativeString, Listed> ListAll(Directory& dir) {
  Listing listing;
  EXPECT_FALSE(dir.List(listing));
  std::map<NativeString, Listed> out;
  for (const auto& e : listing.entries())
    out[NativeString(listing.Name(e))] = {e.type, e.attributes};
  return out;
}

std::unique_ptr<Directory> Open(const NativeString& path) {
  std::error_code ec;
  auto dir = NativeFileSystem().OpenDirectory(path, ec);
  EXPECT_TRUE(dir) << NativeToUtf8(path) << ": " << ec.message();
  return dir;
}

TEST(Win32FileSystem, ListingGivesTheAttributeWordAsWindowsHasIt) {
  TempTree tree;
  tree.Dir("plain");
  tree.Dir("hid");
  tree.SetAttributes("hid", FILE_ATTRIBUTE_HIDDEN);
  tree.Dir("sys");
  tree.SetAttributes("sys", FILE_ATTRIBUTE_SYSTEM);
  tree.File("ro.txt");
  tree.SetAttributes("ro.txt", FILE_ATTRIBUTE_READONLY);
  tree.File("中文.tmp");
  auto dir = Open(tree.root());
  ASSERT_TRUE(dir);
  const auto listed = ListAll(*dir);
  ASSERT_EQ(listed.size(), 5u);  // no "." or ".."
  for (const auto& [name, entry] : listed) {
    const DWORD expected = tree.Attributes(NativeToUtf8(name));
    EXPECT_EQ(entry.attributes, expected) << NativeToUtf8(name);
    EXPECT_EQ(entry.type,
              (expected & FILE_ATTRIBUTE_DIRECTORY) ? EntryType::kDirectory : EntryType::kFile);
  }
  EXPECT_EQ(listed.at(L"plain").attributes, attr::kDirectory);
  EXPECT_EQ(listed.at(L"hid").attributes, attr::kDirectory | attr::kHidden);
  EXPECT_TRUE(listed.at(L"ro.txt").attributes & attr::kReadOnly);
  EXPECT_TRUE(listed.count(L"中文.tmp"));
}

TEST(Win32FileSystem, StatGivesSizesBeyondFourGigabytesAndAStableIdentity) {
  TempTree tree;
  const std::uint64_t big = (5ull << 30) + 7;
  tree.SizedFile("big.bin", big);
  tree.File("small.txt", "hello");
  tree.Dir("sub");
  auto dir = Open(tree.root());
  ASSERT_TRUE(dir);
  EntryStat a, again, small, sub;
  ASSERT_FALSE(dir->Stat(L"big.bin", a));
  ASSERT_FALSE(dir->Stat(L"big.bin", again));
  ASSERT_FALSE(dir->Stat(L"small.txt", small));
  ASSERT_FALSE(dir->Stat(L"sub", sub));
  EXPECT_EQ(a.type, EntryType::kFile);
  EXPECT_EQ(a.size, big);
  EXPECT_EQ(small.size, 5u);
  EXPECT_EQ(sub.type, EntryType::kDirectory);
  EXPECT_TRUE(sub.attributes & attr::kDirectory);
  EXPECT_EQ(a.device, again.device);
  EXPECT_EQ(a.inode, again.inode);
  EXPECT_NE(a.inode, small.inode);
  EXPECT_EQ(a.device, dir->Device());

  std::error_code ec;
  auto child = dir->OpenChild(L"sub", ec);
  ASSERT_TRUE(child) << ec.message();
  EXPECT_EQ(child->Device(), sub.device);
  EXPECT_EQ(child->Inode(), sub.inode);
}

TEST(Win32FileSystem, OpeningWhatIsNoFolderFails) {
  TempTree tree;
  tree.File("f.txt");
  auto dir = Open(tree.root());
  ASSERT_TRUE(dir);
  std::error_code ec;
  EXPECT_FALSE(dir->OpenChild(L"f.txt", ec));
  EXPECT_EQ(ec, std::errc::not_a_directory);
  EXPECT_FALSE(dir->OpenChild(L"missing", ec));
  EXPECT_EQ(ec, std::errc::no_such_file_or_directory);
  EXPECT_FALSE(NativeFileSystem().OpenDirectory(tree.Path("missing\\"), ec));
  EXPECT_EQ(ec, std::errc::no_such_file_or_directory);
  EXPECT_FALSE(NativeFileSystem().OpenDirectory(tree.Path("f.txt"), ec));
  EXPECT_EQ(ec, std::errc::not_a_directory);
  EntryStat st;
  EXPECT_EQ(dir->Stat(L"missing", st), std::errc::no_such_file_or_directory);
}

TEST(Win32FileSystem, LinksAreListedAsLinksAndNeverOpened) {
  TempTree tree;
  tree.File("target/inside.tmp");
  if (!tree.DirectoryLink("target", "link")) GTEST_SKIP() << "no directory link can be made here";
  auto dir = Open(tree.root());
  ASSERT_TRUE(dir);
  const auto listed = ListAll(*dir);
  ASSERT_TRUE(listed.count(L"link"));
  EXPECT_EQ(listed.at(L"link").type, EntryType::kSymlink);
  EXPECT_TRUE(listed.at(L"link").attributes & attr::kReparsePoint);
  EntryStat st;
  ASSERT_FALSE(dir->Stat(L"link", st));
  EXPECT_EQ(st.type, EntryType::kSymlink);
  std::error_code ec;
  EXPECT_FALSE(dir->OpenChild(L"link", ec));
  EXPECT_EQ(ec, std::errc::too_many_symbolic_link_levels);
}

TEST(Win32FileSystem, TreesDeeperThanMaxPathAreOpenedAndListed) {
  TempTree tree;
  std::string relative;
  for (int i = 0; i < 12; ++i) relative += std::string(40, static_cast<char>('a' + i)) + "/";
  tree.File(relative + "deep.tmp");
  auto dir = Open(tree.root());
  ASSERT_TRUE(dir);
  for (int i = 0; i < 12; ++i) {
    std::error_code ec;
    const NativeString name(40, static_cast<wchar_t>(L'a' + i));
    dir = dir->OpenChild(name.c_str(), ec);
    ASSERT_TRUE(dir) << i << ": " << ec.message();
  }
  const auto listed = ListAll(*dir);
  EXPECT_TRUE(listed.count(L"deep.tmp"));
  EXPECT_GT(tree.Path(relative).size(), static_cast<std::size_t>(MAX_PATH));
}

TEST(Win32Error, CodesCompareWithPortableConditionsAndHaveMessages) {
  EXPECT_EQ(Win32Error(ERROR_ACCESS_DENIED), std::errc::permission_denied);
  EXPECT_EQ(Win32Error(ERROR_PATH_NOT_FOUND), std::errc::no_such_file_or_directory);
  EXPECT_EQ(Win32Error(ERROR_SHARING_VIOLATION), std::errc::device_or_resource_busy);
  EXPECT_NE(Win32Error(ERROR_ACCESS_DENIED), std::errc::no_such_file_or_directory);
  EXPECT_FALSE(Win32Error(ERROR_ACCESS_DENIED).message().empty());
  EXPECT_EQ(Win32Error(0xDEADu).message().empty(), false);
  ::SetLastError(ERROR_SUCCESS);
  EXPECT_TRUE(LastWin32Error());  // a failure never reads as success
}

}  // namespace
}  // namespace kelvo::platform
