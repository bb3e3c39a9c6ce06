// The settings file as every platform reads and writes it: defaults for what is missing, values cut
// at 253 bytes, sections and keys matched ignoring case, values that would break the file refused.
#include "settings/settings_file.h"

#include <gtest/gtest.h>

#include "support/temp_tree.h"

namespace kelvo::settings {
namespace {

using kelvo::testing::TempTree;

TEST(SettingsFile, MissingFileSectionOrKeyGivesTheDefault) {
  TempTree tree;
  const NativeString path = tree.Path("setting.ini");
  EXPECT_EQ(ReadIniValue(path, "show", "ts", ""), "");
  EXPECT_EQ(ReadIniValue(path, "show", "ts", "fallback"), "fallback");
  EXPECT_EQ(ReadTipsSwitch(path), 0);
  tree.File("setting.ini", "[show]\r\nother=1\r\n[other]\r\nts=1\r\n");
  EXPECT_EQ(ReadIniValue(path, "show", "ts", "d"), "d");
  EXPECT_EQ(ReadIniValue(path, "check", "ts", "d"), "d");
  EXPECT_EQ(ReadIniValue(path, "other", "missing", "d"), "d");
  EXPECT_EQ(ReadIniValue(path, "SHOW", "OTHER", "d"), "1");
}

TEST(SettingsFile, AValueIsReadUpTo253Bytes) {
  TempTree tree;
  tree.File("setting.ini", "[show]\r\nts=" + std::string(400, '7') + "\r\n");
  EXPECT_EQ(ReadIniValue(tree.Path("setting.ini"), "show", "ts", ""), std::string(253, '7'));
}

TEST(SettingsFile, WritesCreateFolderFileSectionsAndKeysReadBackIgnoringCase) {
  TempTree tree;
  const NativeString path = tree.Path("new folder/setting.ini");
  ASSERT_FALSE(WriteIniValue(path, kShowSection, kTipsKey, "1"));
  EXPECT_EQ(ReadTipsSwitch(path), 1);
  ASSERT_FALSE(WriteIniValue(path, kCheckSection, kBootCleanupKey, "0"));
  ASSERT_FALSE(WriteIniValue(path, kPatternListSection, PatternListKey(1), "1"));
  ASSERT_FALSE(WriteIniValue(path, kShowSection, kTipsKey, "0"));
  EXPECT_EQ(ReadIniValue(path, "SHOW", "TS", ""), "0");
  EXPECT_EQ(ReadIniValue(path, "check", "check1", ""), "0");
  EXPECT_EQ(ReadIniValue(path, "list1", "list1", ""), "1");
  EXPECT_EQ(ReadTipsSwitch(path), 0);
}

TEST(SettingsFile, ValuesThatWouldBreakTheFileAreRefused) {
  TempTree tree;
  tree.File("setting.ini", "[show]\r\nts=1\r\n");
  const NativeString path = tree.Path("setting.ini");
  EXPECT_EQ(WriteIniValue(path, "show", "ts", "0\r\n[evil]"), std::errc::invalid_argument);
  EXPECT_EQ(WriteIniValue(path, "show", "ts", "0\n[evil]"), std::errc::invalid_argument);
  EXPECT_EQ(ReadIniValue(path, "evil", "ts", "none"), "none");
  EXPECT_EQ(ReadIniValue(path, "show", "ts", ""), "1");
}

TEST(SettingsFile, PatternListKeysAreListAndTheIndex) {
  EXPECT_EQ(PatternListKey(0), "list0");
  EXPECT_EQ(PatternListKey(17), "list17");
}

}  // namespace
}  // namespace kelvo::settings
