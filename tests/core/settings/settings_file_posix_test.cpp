// The settings file on POSIX: the bytes a write leaves, the file replaced atomically with its
// permissions and links kept, failures that leave no trace, and where the file lives.
#include "settings/keep_list_file.h"
#include "settings/settings_file.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <optional>
#include <thread>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/file_update.h"
#include "support/file_text.h"
#include "support/temp_tree.h"

namespace kelvo::settings {
namespace {

using kelvo::testing::FileText;
using kelvo::testing::TempTree;

std::vector<std::string> FolderNames(const std::string& folder) {
  std::vector<std::string> names;
  if (DIR* dir = ::opendir(folder.c_str())) {
    while (dirent* d = ::readdir(dir)) {
      std::string n = d->d_name;
      if (n != "." && n != "..") names.push_back(n);
    }
    ::closedir(dir);
  }
  return names;
}

ino_t Inode(const std::string& path) {
  struct stat st {};
  ::stat(path.c_str(), &st);
  return st.st_ino;
}

// Sets an environment variable for one test and restores it afterwards.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value) {
      ::setenv(name, value, 1);
    } else {
      ::unsetenv(name);
    }
  }
  ~ScopedEnv() {
    if (old_) {
      ::setenv(name_, old_->c_str(), 1);
    } else {
      ::unsetenv(name_);
    }
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

// A settings file as a user might have left it: comments, CR LF line ends, sections of other
// programs, Chinese text in UTF-8 and in GBK bytes, and no line end after the last line.
const std::string kHandEdited =
    "; Kelvo \xE8\xAE\xBE\xE7\xBD\xAE\r\n"
    "[Other Program]\r\n"
    "title=\xE5\x9E\x83\xE5\x9C\xBE\xE6\xB8\x85\xE7\x90\x86\r\n"
    "gbk=\xC0\xAC\xBB\xF8\r\n"
    "\r\n"
    "[check]\r\n"
    "check1 = 0\r\n"
    "   # indented comment\r\n"
    "\r\n"
    "[show]\r\n"
    "ts=1";

TEST(SettingsFile, FirstWriteCreatesFolderFileAndSection) {
  TempTree tree;
  const std::string path = tree.Path("config/kelvo/setting.ini");
  ASSERT_FALSE(WriteIniValue(path, "check", "check2", "1"));
  EXPECT_EQ(FileText(path), "[check]\ncheck2=1\n");
  struct stat st {};
  ASSERT_EQ(::stat(tree.Path("config/kelvo").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
  EXPECT_EQ(ReadIniValue(path, "check", "check2", ""), "1");
}

TEST(SettingsFile, WritesKeepEveryOtherLineByteForByte) {
  TempTree tree;
  tree.File("setting.ini", kHandEdited);
  const std::string path = tree.Path("setting.ini");

  ASSERT_FALSE(WriteIniValue(path, "check", "check1", "1"));
  ASSERT_FALSE(WriteIniValue(path, "show", "ts", "0"));
  ASSERT_FALSE(WriteIniValue(path, "list1", "list0", "1"));
  EXPECT_EQ(FileText(path),
            "; Kelvo \xE8\xAE\xBE\xE7\xBD\xAE\r\n"
            "[Other Program]\r\n"
            "title=\xE5\x9E\x83\xE5\x9C\xBE\xE6\xB8\x85\xE7\x90\x86\r\n"
            "gbk=\xC0\xAC\xBB\xF8\r\n"
            "\r\n"
            "[check]\r\n"
            "check1=1\r\n"
            "   # indented comment\r\n"
            "\r\n"
            "[show]\r\n"
            "ts=0\r\n"
            "[list1]\r\n"
            "list0=1\r\n");
  EXPECT_EQ(ReadIniValue(path, "Other Program", "gbk", ""), "\xC0\xAC\xBB\xF8");
  EXPECT_EQ(ReadTipsSwitch(path), 0);
}

TEST(SettingsFile, WritingTheSameValueBackRestoresTheOriginalBytes) {
  TempTree tree;
  const std::string original =
      "[show]\r\nts=1\r\n; keep me\r\n[\xE5\x9E\x83]\r\nk=\xC0\xAC\r\n[check]\r\ncheck1=1\r\n";
  tree.File("setting.ini", original);
  const std::string path = tree.Path("setting.ini");
  ASSERT_FALSE(WriteIniValue(path, "show", "ts", "0"));
  ASSERT_FALSE(WriteIniValue(path, "check", "check1", "0"));
  EXPECT_NE(FileText(path), original);
  ASSERT_FALSE(WriteIniValue(path, "show", "ts", "1"));
  ASSERT_FALSE(WriteIniValue(path, "check", "check1", "1"));
  EXPECT_EQ(FileText(path), original);
}

TEST(SettingsFile, AnUnchangedValueLeavesTheFileUntouched) {
  TempTree tree;
  tree.File("setting.ini", "[show]\nts=1\n");
  const std::string path = tree.Path("setting.ini");
  ino_t before = Inode(path);
  ASSERT_FALSE(WriteIniValue(path, "SHOW", "TS", "1"));
  EXPECT_EQ(Inode(path), before);
  ASSERT_FALSE(WriteIniValue(path, "show", "ts", "0"));
  EXPECT_NE(Inode(path), before);  // replaced by a new file, never rewritten in place
}

TEST(SettingsFile, PermissionsAndSymbolicLinksSurviveAWrite) {
  TempTree tree;
  tree.File("dotfiles/setting.ini", "[show]\nts=1\n", 0640);
  tree.Dir("config");
  tree.Symlink("../dotfiles/setting.ini", "config/setting.ini");
  ASSERT_FALSE(WriteIniValue(tree.Path("config/setting.ini"), "show", "ts", "0"));
  struct stat st {};
  ASSERT_EQ(::lstat(tree.Path("config/setting.ini").c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  ASSERT_EQ(::stat(tree.Path("dotfiles/setting.ini").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  EXPECT_EQ(FileText(tree.Path("dotfiles/setting.ini")), "[show]\nts=0\n");
}

TEST(SettingsFile, FailuresAreReturnedAndLeaveNoTrace) {
  TempTree tree;
  tree.File("plain-file", "not a folder");
  // A folder that cannot be made, whatever the user's rights (root included).
  auto ec = WriteIniValue(tree.Path("plain-file/kelvo/setting.ini"), "show", "ts", "1");
  EXPECT_EQ(ec, std::make_error_code(std::errc::not_a_directory));

  tree.File("setting.ini", "[show]\nts=1\n");
  const std::string path = tree.Path("setting.ini");
  ec = WriteIniValue(path, "show", "ts", "0\n[injected]");
  EXPECT_EQ(ec, std::make_error_code(std::errc::invalid_argument));
  EXPECT_EQ(FileText(path), "[show]\nts=1\n");

  tree.Dir("folder-in-the-way.ini");
  EXPECT_TRUE(WriteIniValue(tree.Path("folder-in-the-way.ini"), "show", "ts", "0"));
  EXPECT_THAT(FolderNames(tree.root()), ::testing::UnorderedElementsAre("plain-file", "setting.ini",
                                                                        "folder-in-the-way.ini"));
}

struct CommitFailure {
  static inline std::string seenTemporary;
  static inline std::string seenContent;
  static std::error_code FailRename(const NativeString& temporary, const NativeString&) {
    seenTemporary = temporary;
    const auto bytes = platform::ReadWholeFile(temporary);
    EXPECT_TRUE(bytes);
    seenContent = bytes.value_or("");
    return std::make_error_code(std::errc::io_error);
  }
};

TEST(SettingsFile, ACrashBeforeTheRenameLeavesTheOldFile) {
  TempTree tree;
  tree.File("setting.ini", kHandEdited);
  const std::string path = tree.Path("setting.ini");
  auto previous = platform::SetCommitHookForTesting(&CommitFailure::FailRename);
  auto ec = WriteIniValue(path, "show", "ts", "0");
  platform::SetCommitHookForTesting(previous);

  EXPECT_EQ(ec, std::make_error_code(std::errc::io_error));
  EXPECT_EQ(FileText(path), kHandEdited);
  // The new file had been written completely beside the old one, and is gone again.
  EXPECT_THAT(CommitFailure::seenTemporary, ::testing::StartsWith(tree.root()));
  EXPECT_THAT(CommitFailure::seenContent, ::testing::EndsWith("[show]\r\nts=0"));
  EXPECT_THAT(FolderNames(tree.root()), ::testing::ElementsAre("setting.ini"));
}

TEST(SettingsFile, ConcurrentWritersLeaveAWholeFileWithEveryValue) {
  TempTree tree;
  tree.File("setting.ini", kHandEdited);
  const std::string path = tree.Path("setting.ini");
  constexpr int kWriters = 6;
  constexpr int kKeys = 15;
  std::vector<std::thread> threads;
  std::atomic<int> failures{0};
  std::atomic<bool> writing{true};
  std::atomic<int> tornReads{0};
  for (int w = 0; w < kWriters; ++w) {
    threads.emplace_back([&, w] {
      for (int k = 0; k < kKeys; ++k) {
        std::string section = "writer" + std::to_string(w);
        if (WriteIniValue(path, section, PatternListKey(k), std::to_string(w * 100 + k))) {
          ++failures;
        }
      }
    });
  }
  // Readers never see a half-written file: the untouched value is always there.
  std::thread reader([&] {
    while (writing.load()) {
      if (ReadIniValue(path, "other program", "gbk", "missing") != "\xC0\xAC\xBB\xF8") ++tornReads;
    }
  });
  for (auto& t : threads) t.join();
  writing = false;
  reader.join();

  EXPECT_EQ(failures.load(), 0);
  EXPECT_EQ(tornReads.load(), 0);
  const std::string text = FileText(path);
  EXPECT_TRUE(text.starts_with(kHandEdited.substr(0, kHandEdited.size() - 4)));
  for (int w = 0; w < kWriters; ++w) {
    for (int k = 0; k < kKeys; ++k) {
      EXPECT_EQ(ReadIniValue(path, "writer" + std::to_string(w), PatternListKey(k), ""),
                std::to_string(w * 100 + k));
    }
  }
  EXPECT_THAT(FolderNames(tree.root()), ::testing::ElementsAre("setting.ini"));
}

TEST(SettingsFile, PathFollowsTheXdgConfigFolder) {
  {
    ScopedEnv config("XDG_CONFIG_HOME", "/srv/conf/");
    EXPECT_EQ(SettingsFilePath(), "/srv/conf/kelvo/setting.ini");
  }
  ScopedEnv home("HOME", "/home/tester");
  for (const char* ignored : {"", "relative/conf"}) {
    ScopedEnv config("XDG_CONFIG_HOME", ignored);
    EXPECT_EQ(SettingsFilePath(), "/home/tester/.config/kelvo/setting.ini");
  }
  ScopedEnv unset("XDG_CONFIG_HOME", nullptr);
  EXPECT_EQ(SettingsFilePath(), "/home/tester/.config/kelvo/setting.ini");
}

TEST(KeepListFile, TheListRoundTripsInItsOwnSectionAndEveryOtherLineStays) {
  TempTree tree;
  tree.File("setting.ini", kHandEdited);
  const std::string path = tree.Path("setting.ini");
  const std::vector<KeepEntry> entries = {
      {KeepEntry::Kind::kFolder, "/home/ann/\xC0\xAC photos "},  // GBK bytes, a trailing blank
      {KeepEntry::Kind::kPattern, "\"**/node_modules\""},
      {KeepEntry::Kind::kPattern, "*.iso"},
      {KeepEntry::Kind::kPattern, "100%25\t\x7F"}};
  ASSERT_FALSE(WriteKeepList(path, entries));
  EXPECT_EQ(ReadKeepList(path).value(), entries);
  EXPECT_EQ(FileText(path), kHandEdited +
                                "\r\n[keep]\r\nfolder0=\"/home/ann/%C0%AC photos \"\r\n"
                                "pattern1=\"\"**/node_modules\"\"\r\n"
                                "pattern2=\"*.iso\"\r\n"
                                "pattern3=\"100%2525%09%7F\"\r\n");
  std::size_t removed = 0;
  ASSERT_FALSE(RemoveKeepEntry(path, "*.iso", removed));
  EXPECT_EQ(removed, 1u);
  ASSERT_FALSE(RemoveKeepEntry(path, "100%25\t\x7F", removed));
  bool added = false;
  ASSERT_FALSE(AddKeepEntry(path, {KeepEntry::Kind::kPattern, "*.bak"}, added));
  EXPECT_TRUE(added);
  ASSERT_FALSE(AddKeepEntry(path, {KeepEntry::Kind::kPattern, "*.bak"}, added));
  EXPECT_FALSE(added);
  ASSERT_FALSE(WriteIniValue(path, "check", "trash", "1"));
  EXPECT_EQ(ReadKeepList(path)->size(), 3u);
  ASSERT_FALSE(WriteKeepList(path, {}));
  EXPECT_EQ(FileText(path),
            "; Kelvo \xE8\xAE\xBE\xE7\xBD\xAE\r\n[Other Program]\r\n"
            "title=\xE5\x9E\x83\xE5\x9C\xBE\xE6\xB8\x85\xE7\x90\x86\r\ngbk=\xC0\xAC\xBB\xF8\r\n\r\n"
            "[check]\r\ncheck1 = 0\r\n   # indented comment\r\ntrash=1\r\n\r\n[show]\r\nts=1\r\n"
            "[keep]\r\n");
  EXPECT_EQ(ReadTipsSwitch(path), 1);
}

}  // namespace
}  // namespace kelvo::settings
