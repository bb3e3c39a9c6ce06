#include <gtest/gtest.h>

#include "settings/settings_file.h"
#include "support/temp_tree.h"

namespace kelvo::settings {
namespace {

TEST(TipsSwitch, IsReadFromTheShowSection) {
  kelvo::testing::TempTree tree;
  const NativeString path = tree.Path("setting.ini");
  EXPECT_EQ(ReadTipsSwitch(path), 0);  // no file
  tree.File("setting.ini", "[check]\nts=1\n");
  EXPECT_EQ(ReadTipsSwitch(path), 0);  // wrong section
  tree.File("setting.ini", "[show]\n");
  EXPECT_EQ(ReadTipsSwitch(path), 0);  // missing key
  for (const char* shown : {"1", " 1", "1.4"}) {
    tree.File("setting.ini", std::string("[show]\nts=") + shown + "\n");
    EXPECT_EQ(ReadTipsSwitch(path), 1) << shown;
  }
  for (const char* hidden : {"0", "2", "0.5", "1.5", "", "abc", "65537"}) {
    tree.File("setting.ini", std::string("[show]\r\nts=") + hidden + "\r\n");
    EXPECT_NE(ReadTipsSwitch(path), 1) << hidden;
  }
}

TEST(TipsSwitch, FollowsWhatTheTipsDialogWrites) {
  kelvo::testing::TempTree tree;
  const NativeString path = tree.Path("kelvo/setting.ini");
  ASSERT_FALSE(WriteIniValue(path, kShowSection, kTipsKey, "1"));
  EXPECT_EQ(ReadTipsSwitch(path), 1);
  ASSERT_FALSE(WriteIniValue(path, kShowSection, kTipsKey, "0"));
  EXPECT_EQ(ReadTipsSwitch(path), 0);
}

}  // namespace
}  // namespace kelvo::settings
