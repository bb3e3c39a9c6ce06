// The fixed drives of Windows.
#include "platform/drives.h"

#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace kelvo::platform {
namespace {

TEST(Win32Drives, FixedDrivesByLetterWithRootKeysAndLabelledTexts) {
  const std::vector<Drive> drives = ListFixedDrives();
  ASSERT_FALSE(drives.empty());
  std::vector<NativeString> keys;
  for (const Drive& d : drives) {
    ASSERT_EQ(d.key.size(), 3u);
    EXPECT_TRUE(d.key[0] >= L'A' && d.key[0] <= L'Z');
    EXPECT_EQ(d.key.substr(1), L":\\");
    EXPECT_EQ(::GetDriveTypeW(d.key.c_str()), static_cast<UINT>(DRIVE_FIXED));
    wchar_t label[MAX_PATH + 1] = {};
    ::GetVolumeInformationW(d.key.c_str(), label, MAX_PATH + 1, nullptr, nullptr, nullptr, nullptr,
                            0);
    const NativeString expected =
        label[0] ? d.key + L"(" + label + L")" : d.key;  // "C:\" or "C:\(SYSTEM)"
    EXPECT_EQ(d.text, expected);
    keys.push_back(d.key);
  }
  EXPECT_TRUE(std::is_sorted(keys.begin(), keys.end()));
  wchar_t windows[MAX_PATH];
  ::GetWindowsDirectoryW(windows, MAX_PATH);
  EXPECT_THAT(keys, ::testing::Contains(NativeString(windows, 2) + L"\\"));
}

}  // namespace
}  // namespace kelvo::platform
