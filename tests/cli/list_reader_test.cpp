// Reading back the lists that scan prints.
#include "list_reader.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "row_writer.h"
#include "support/temp_tree.h"
#include "text/base64.h"

namespace kelvo::cli {
namespace {

using ::testing::HasSubstr;
using namespace std::string_literals;

TEST(TsvUnescape, UndoesExactlyTheWritersEscapes) {
  std::string out;
  for (std::string raw : {std::string("plain"), std::string("a\\b\tc\nd\re"), std::string("\\\\t"),
                          std::string("中文\xff\\")}) {
    ASSERT_TRUE(UnescapeTsvField(EscapeTsvField(raw), out)) << raw;
    EXPECT_EQ(out, raw);
  }
  EXPECT_FALSE(UnescapeTsvField("a\\x", out));
  EXPECT_FALSE(UnescapeTsvField("trailing\\", out));
}

TEST(DeletionList, TsvRowsGiveThePathAndSizeOnly) {
  std::vector<cleanup::DeletionRequest> rows;
  const std::string text =
      "a.tmp\t/x/a.tmp\ttmp临时文件\t12\r\n"
      "\n"
      "b\\tc\t/x/b\\tc\\\\d\\n\tTemp临时文件\t\n"
      "e\t/x/e\t空文件夹\t\n";
  ASSERT_FALSE(ParseDeletionList(text, rows));
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0].path, "/x/a.tmp");
  EXPECT_EQ(rows[0].size, 12u);
  EXPECT_TRUE(rows[0].root.empty());
  EXPECT_FALSE(rows[0].identity);
  EXPECT_FALSE(rows[0].emptyFolder);
  EXPECT_EQ(rows[1].path, "/x/b\tc\\d\n");
  EXPECT_FALSE(rows[1].size);
  EXPECT_TRUE(rows[2].emptyFolder);
}

TEST(DeletionList, JsonRowsGiveRootIdentityAndExactBytes) {
  std::vector<cleanup::DeletionRequest> rows;
  const std::string bad = "/r/bad\xff.tmp";
  const std::string text =
      R"({"name":"a.tmp","path":"/r/a.tmp","type":"t","size":3,"rule":1,"kind":"file",)"
      R"("root":"/r/","dev":7,"ino":99})"
      "\n"
      R"({"name":"x","path":"/r/bad\ufffd.tmp","path_base64":")" +
      text::Base64Encode(bad) +
      R"(","type":"t","size":null,"rule":1,"kind":"symlink","root":"/r/","dev":1,"ino":2})"
      "\n"
      R"({"name":"e","path":"/r/e","type":"t","size":null,"rule":20,"kind":"dir",)"
      R"("empty_folder":true,"root":"/r/","dev":1,"ino":3})"
      "\n";
  ASSERT_FALSE(ParseDeletionList(text, rows));
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0].path, "/r/a.tmp");
  EXPECT_EQ(rows[0].root, "/r/");
  ASSERT_TRUE(rows[0].identity);
  EXPECT_EQ(rows[0].identity->device, 7u);
  EXPECT_EQ(rows[0].identity->inode, 99u);
  EXPECT_EQ(rows[0].identity->type, platform::EntryType::kFile);
  EXPECT_EQ(rows[0].size, 3u);
  EXPECT_EQ(rows[1].path, bad);
  EXPECT_EQ(rows[1].identity->type, platform::EntryType::kSymlink);
  EXPECT_FALSE(rows[1].size);
  EXPECT_TRUE(rows[2].emptyFolder);
  EXPECT_EQ(rows[2].identity->type, platform::EntryType::kDirectory);
}

TEST(DeletionList, WhatIsNotAListIsRefusedWithItsLine) {
  std::vector<cleanup::DeletionRequest> rows;
  EXPECT_THAT(*ParseDeletionList("a\t/a\tt\t1\nonly two\tfields\n", rows), HasSubstr("line 2"));
  EXPECT_THAT(*ParseDeletionList("a\t/a\\q\tt\t1\n", rows), HasSubstr("backslash"));
  EXPECT_THAT(*ParseDeletionList("a\t/a\tt\tbig\n", rows), HasSubstr("size"));
  EXPECT_THAT(*ParseDeletionList("name,path,type,size\r\na,/a,t,1\r\n", rows), HasSubstr("csv"));
  EXPECT_THAT(*ParseDeletionList("{\"path\":\"/a\"}\n{broken\n", rows), HasSubstr("line 2"));
  EXPECT_THAT(*ParseDeletionList("{\"path\":\"/a\",\"dev\":1}\n", rows), HasSubstr("ino"));
  EXPECT_THAT(*ParseDeletionList("{\"path\":\"/a\",\"dev\":1,\"ino\":2,\"kind\":\"fifo\"}", rows),
              HasSubstr("kind"));
  EXPECT_THAT(*ParseDeletionList("{\"name\":\"a\"}\n", rows), HasSubstr("no path"));
  // A tsv name may begin with a brace.
  ASSERT_FALSE(ParseDeletionList("{a}.tmp\t/x/{a}.tmp\tt\t1\n", rows));
  EXPECT_EQ(rows[0].path, "/x/{a}.tmp");
}

// An edited list must never show one path and delete another: the whole list is refused.
TEST(DeletionList, PathsThatShowOneFileAndNameAnotherAreRefused) {
  std::vector<cleanup::DeletionRequest> rows;
  const std::string ok = "{\"path\":\"/d/a.tmp\"}\n";
  EXPECT_EQ(ParseDeletionList(ok + R"({"path":"/d/thesis.odt\u0000.tmp"})", rows).value_or(""),
            "line 2: the path holds a NUL byte");
  EXPECT_EQ(ParseDeletionList("a\t/d/thesis.odt\0.tmp\tt\t1\n"s, rows).value_or(""),
            "line 1: the path holds a NUL byte");
  const std::string other =
      R"({"path":"/d/a.tmp","path_base64":")" + text::Base64Encode("/d/b") + "\"}";
  EXPECT_EQ(ParseDeletionList(ok + ok + other, rows).value_or(""),
            "line 3: path_base64 names another path than path");
  const std::string alone = R"({"path_base64":")" + text::Base64Encode("/d/b\xff") + "\"}";
  EXPECT_EQ(ParseDeletionList(alone, rows).value_or(""),
            "line 1: path_base64 names another path than path");
  // A leading byte-order mark, as some editors save UTF-8, is not part of the first row.
  ASSERT_FALSE(ParseDeletionList("\xEF\xBB\xBF" + ok, rows));
  EXPECT_EQ(rows.at(0).path, "/d/a.tmp");
  ASSERT_FALSE(
      ParseDeletionList("\xEF\xBB\xBF"
                        "a\t/d/a\tt\t1\n",
                        rows));
  EXPECT_EQ(rows.at(0).path, "/d/a");
}

TEST(ListText, IsReadWholeUpToTheLimitAndRefusedBeyondItWithoutExhaustingMemory) {
  testing::TempTree tree;
  constexpr std::size_t kLimit = 1024 * 1024;
  const std::string atLimit(kLimit, 'x');
  tree.File("full", atLimit);
  std::string text;
  ASSERT_FALSE(ReadListText(tree.PathUtf8("full"), text, kLimit));
  EXPECT_EQ(text, atLimit);
  tree.File("over", atLimit + "y");
  EXPECT_EQ(ReadListText(tree.PathUtf8("over"), text, kLimit),
            "list larger than 1 MiB: " + tree.PathUtf8("over"));
  EXPECT_EQ(text, "");
  // A stream without end, given as FILE, stops at the limit as well.
  EXPECT_EQ(ReadListText("/dev/zero", text, kLimit), "list larger than 1 MiB: /dev/zero");
  EXPECT_THAT(ReadListText(tree.PathUtf8("missing"), text, kLimit),
              ::testing::Optional(HasSubstr("cannot read")));
}

}  // namespace
}  // namespace kelvo::cli
