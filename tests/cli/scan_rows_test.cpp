// kelvo-cli scan --format=tsv over the same tree on every platform: the rows differ only in the
// separator. The tree is made with std::filesystem and holds only names every platform allows.
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/native_string.h"
#include "row_writer.h"
#include "support/run_process.h"

namespace kelvo::cli {
namespace {

namespace fs = std::filesystem;

fs::path FromUtf8(const std::string& text) {
  return fs::path(std::u8string(text.begin(), text.end()));
}

std::string ToUtf8(const fs::path& path) {
  const std::u8string s = path.u8string();
  return std::string(s.begin(), s.end());
}

// A fresh folder outside any folder named temp (on Windows the temporary folder itself is called
// Temp, which would make every entry a temp-folder hit).
class ScratchTree {
 public:
  ScratchTree() {
    fs::path base = fs::temp_directory_path();
    for (fs::path p = base; !p.empty() && p != p.root_path(); p = p.parent_path()) {
      std::string name = ToUtf8(p.filename());
      std::transform(name.begin(), name.end(), name.begin(), [](char c) {
        return static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
      });
      if (name == "TEMP") base = p.parent_path();
    }
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    root_ = base / FromUtf8("kelvo-rows-" + std::to_string(stamp));
    fs::create_directories(root_);
  }
  ~ScratchTree() {
    std::error_code ec;
    fs::remove_all(root_, ec);
  }
  ScratchTree(const ScratchTree&) = delete;
  ScratchTree& operator=(const ScratchTree&) = delete;

  void File(const std::string& relative, const std::string& content) {
    const fs::path p = root_ / FromUtf8(relative);
    fs::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary) << content;
  }
  void Dir(const std::string& relative) { fs::create_directories(root_ / FromUtf8(relative)); }
  // The root as kelvo-cli is given it, without a trailing separator.
  std::string RootUtf8() const { return ToUtf8(root_); }

 private:
  fs::path root_;
};

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find('\n', start);
    lines.push_back(text.substr(start, end - start));
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return lines;
}

TEST(ScanRows, SameRowsOnEveryPlatform) {
  ScratchTree tree;
  tree.File("a/x.TMP", "12");
  tree.File("a/report.tmp.txt", "1");
  tree.File("a/~DF12.TMP", "");
  tree.File("a/Temp/in side.dat", "123");
  tree.File("a/Temp/sub/deep.bak", "1234");
  tree.File("a/TEMP2/no.dat", "1");
  tree.File("中文目录/临时.TMP", "abc");
  tree.File("b/ABC.$$$", "12345");
  tree.File("b/old.old", "1");
  tree.File("c/Recent/r.lnk", "1");
  tree.File("c/History/h.dat", "1");
  tree.File("c/Cookies/k.txt", "1");
  tree.File("c/Temporary Internet Files/i.gif", "1");
  tree.File(".hidden/x.tmp", "1");
  tree.Dir("e");

  const std::string sep(1, static_cast<char>(platform::kSeparator));
  const std::string root = tree.RootUtf8() + sep;
  // name, path below the root with "/" between components, type label, size.
  struct Row {
    std::string name, relative, label, size;
  };
  const std::vector<Row> expected = {
      {"x.TMP", "a/x.TMP", "TMP临时文件", "2"},
      {"~DF12.TMP", "a/~DF12.TMP", "TMP临时文件", "0"},
      {"~DF12.TMP", "a/~DF12.TMP", "TMP临时文件", "0"},
      {"~DF12.TMP", "a/~DF12.TMP", "零字节文件", "0"},
      {"in side.dat", "a/Temp/in side.dat", "Temp临时文件", "3"},
      {"deep.bak", "a/Temp/sub/deep.bak", "bak临时文件", "4"},
      {"deep.bak", "a/Temp/sub/deep.bak", "Temp临时文件", "4"},
      {"临时.TMP", "中文目录/临时.TMP", "TMP临时文件", "3"},
      {"ABC.$$$", "b/ABC.$$$", "$$$临时文件", "5"},
      {"ABC.$$$", "b/ABC.$$$", "$$$临时文件", "5"},
      {"old.old", "b/old.old", "old临时文件", "1"},
      {"r.lnk", "c/Recent/r.lnk", "最近的文档", "1"},
      {"h.dat", "c/History/h.dat", "历史文档文件", "1"},
      {"k.txt", "c/Cookies/k.txt", "IE Cookies文件", "1"},
      {"i.gif", "c/Temporary Internet Files/i.gif", "IE临时缓存文件", "1"},
      {"e", "e", "空文件夹", ""},
  };
  std::vector<std::string> want;
  for (const Row& r : expected) {
    std::string path = root + r.relative;
    std::replace(path.begin(), path.end(), '/', sep[0]);
    want.push_back(EscapeTsvField(r.name) + "\t" + EscapeTsvField(path) + "\t" + r.label + "\t" +
                   r.size);
  }
  std::sort(want.begin(), want.end());

  auto r = testing::RunProcess(KELVO_CLI_PATH, {"scan", "--format=tsv", "--patterns=all", "--zero",
                                                "--special=all", tree.RootUtf8()});
  EXPECT_EQ(r.exitStatus, 0) << r.err;
  // Listing order is the file system's own; the rows are compared as a set of lines.
  std::vector<std::string> got = Lines(r.out);
  std::sort(got.begin(), got.end());
  EXPECT_EQ(got, want);
}

}  // namespace
}  // namespace kelvo::cli
