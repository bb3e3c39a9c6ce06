#include "row_writer.h"
#include "text/base64.h"
#include "text/utf8.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <nlohmann/json.hpp>

namespace kelvo::cli {
namespace {

std::string Render(OutputFormat format, const std::vector<scan::JunkItem>& items) {
  char* data = nullptr;
  std::size_t size = 0;
  std::FILE* mem = ::open_memstream(&data, &size);
  {
    OutputBuffer out(mem);
    auto writer = MakeRowWriter(format, out);
    for (const auto& i : items) writer->Write(i);
    writer->Finish();
  }
  std::fclose(mem);
  std::string text(data, size);
  std::free(data);
  return text;
}

scan::JunkItem Item(std::string name, std::string path, std::optional<std::uint64_t> size) {
  scan::JunkItem i;
  i.fileName = name;
  i.fullPath = path;
  i.typeLabel = "tmp临时文件";
  i.size = size;
  i.rule = 1;
  i.root = "/r/";
  return i;
}

TEST(RowWriter, TsvEscapesOnlyBackslashTabNewlineAndReturn) {
  auto text = Render(OutputFormat::kTsv, {Item("a\tb\\c.tmp", "/r/a\tb\\c.tmp", 3),
                                          Item("n\nr\r.tmp", "/r/n\nr\r.tmp", std::nullopt),
                                          Item("\xff,\".tmp", "/r/\xff,\".tmp", 0)});
  EXPECT_EQ(text,
            "a\\tb\\\\c.tmp\t/r/a\\tb\\\\c.tmp\ttmp临时文件\t3\n"
            "n\\nr\\r.tmp\t/r/n\\nr\\r.tmp\ttmp临时文件\t\n"
            "\xff,\".tmp\t/r/\xff,\".tmp\ttmp临时文件\t0\n");
}

TEST(RowWriter, CsvQuotesFieldsThatNeedItWithAHeader) {
  auto text = Render(OutputFormat::kCsv, {Item("a,\"b\".tmp", "/r/a,\"b\".tmp", 1),
                                          Item("line\n.tmp", "/r/line\n.tmp", std::nullopt)});
  EXPECT_EQ(text,
            "name,path,type,size\r\n"
            "\"a,\"\"b\"\".tmp\",\"/r/a,\"\"b\"\".tmp\",tmp临时文件,1\r\n"
            "\"line\n.tmp\",\"/r/line\n.tmp\",tmp临时文件,\r\n");
}

TEST(RowWriter, JsonIsValidUtf8AndExactForOtherBytes) {
  auto text = Render(OutputFormat::kJson, {Item("ok.tmp", "/r/ok.tmp", 5),
                                           Item("\xff\xfe.tmp", "/r/\xff\xfe.tmp", std::nullopt)});
  auto newline = text.find('\n');
  auto first = nlohmann::json::parse(text.substr(0, newline));
  auto second = nlohmann::json::parse(text.substr(newline + 1));
  EXPECT_EQ(first["path"], "/r/ok.tmp");
  EXPECT_EQ(first["size"], 5);
  EXPECT_EQ(first["rule"], 1);
  EXPECT_FALSE(first.contains("path_base64"));
  EXPECT_TRUE(second["size"].is_null());
  EXPECT_EQ(second["path"], "/r/\xEF\xBF\xBD\xEF\xBF\xBD.tmp");
  const auto decoded = text::Base64Decode(second["path_base64"].get<std::string>());
  ASSERT_TRUE(decoded);
  EXPECT_EQ(*decoded, "/r/\xff\xfe.tmp");
  EXPECT_TRUE(text::IsValidUtf8(text));
}

TEST(RowWriter, Base64RoundTripsEveryLength) {
  std::string bytes;
  for (int n = 0; n < 40; ++n) {
    const auto decoded = text::Base64Decode(text::Base64Encode(bytes));
    ASSERT_TRUE(decoded);
    EXPECT_EQ(*decoded, bytes);
    bytes.push_back(static_cast<char>(n * 37));
  }
  for (const char* flawed : {"abc", "ab=c", "a=bc", "ab!c", "ab==ab=="}) {
    const auto decoded = text::Base64Decode(flawed);
    ASSERT_FALSE(decoded) << flawed;
    EXPECT_EQ(decoded.error(), "not padded base64");
  }
}

TEST(RowWriter, Utf8Validation) {
  EXPECT_TRUE(text::IsValidUtf8("plain 中文 😀"));
  EXPECT_FALSE(text::IsValidUtf8("\xc0\xaf"));      // overlong
  EXPECT_FALSE(text::IsValidUtf8("\xed\xa0\x80"));  // surrogate
  EXPECT_FALSE(text::IsValidUtf8("\xe4\xb8"));      // truncated
  EXPECT_EQ(text::ToLossyUtf8("a\xffz"), "a\xEF\xBF\xBDz");
}

}  // namespace
}  // namespace kelvo::cli
