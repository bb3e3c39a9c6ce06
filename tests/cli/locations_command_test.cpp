// kelvo-cli on a fake home: the locations it finds and lists, and a clean that tidies after
// itself.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <sstream>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "scan/cache_formats.h"
#include "scan/locations.h"
#include "support/fake_home.h"
#include "support/run_process.h"

namespace kelvo::cli {
namespace {

using testing::Exists;
using testing::FakeHome;
using ::testing::HasSubstr;
using ::testing::Not;
using testing::RunProcess;

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

TEST(LocationsCommand, ScanListsEveryPlantedJunkFileUnderItsLabelAndNothingElse) {
  FakeHome home;
  FakeHome::Environment environment(home);
  auto r = RunProcess(KELVO_CLI_PATH, {"scan", "--locations=all", "--format=tsv"});
  EXPECT_EQ(r.exitStatus, 0) << r.err;
  std::vector<std::string> expected;
  for (const auto& p : home.planted()) {
    if (p.location < 0) continue;
    const std::string name = p.path.substr(p.path.rfind('/') + 1);
    expected.push_back(name + "\t" + p.path + "\t" +
                       std::string(scan::kLocations[static_cast<std::size_t>(p.location)].label) +
                       "\t" + std::to_string(p.size));
  }
  std::vector<std::string> rows = Lines(r.out);
  std::sort(rows.begin(), rows.end());
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(rows, expected);
  EXPECT_THAT(r.err, HasSubstr("browser-cache: " + home.RunningBrowserCache() +
                               " skipped: in use by a program that runs (lock " +
                               home.RunningBrowserLock() + ")"));
  EXPECT_THAT(r.err, HasSubstr("29 rows, 330892 bytes"));

  // Without --locations nothing changes: the home holds no junk name outside its dot folders.
  r = RunProcess(KELVO_CLI_PATH, {"scan", "--format=tsv", home.tree().Path("home")});
  EXPECT_EQ(r.out, "");
}

// A settings file at the top of an app's cache and a cache tag planted among the user's documents:
// neither is offered, and the first is counted apart.
TEST(LocationsCommand, NeitherSettingsInACacheNorTaggedDocumentsAreOffered) {
  FakeHome home;
  FakeHome::Environment environment(home);
  const std::string tag = std::string(scan::kCacheDirTagSignature) + "\n";
  home.tree().File("home/.config/user-dirs.dirs", "XDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"\n");
  for (const char* folder : {"home/Documents/", "home/Dokumente/"}) {
    home.tree().File(std::string(folder) + "CACHEDIR.TAG", tag);
    home.tree().File(std::string(folder) + "thesis.odt", "mine");
    home.SetAge(std::string(folder) + "thesis.odt", 400);
  }
  home.tree().File("home/.cache/keepassxc/keepassxc.ini", "[General]\n");
  home.SetAge("home/.cache/keepassxc/keepassxc.ini", 400);
  auto r = RunProcess(KELVO_CLI_PATH, {"scan", "--locations=app-cache,dev-cache", "--format=tsv"});
  EXPECT_EQ(r.exitStatus, 0) << r.err;
  EXPECT_THAT(r.out, Not(HasSubstr("thesis.odt")));
  EXPECT_THAT(r.out, Not(HasSubstr("keepassxc.ini")));
  EXPECT_THAT(r.err, HasSubstr(", 1 settings files in caches kept"));
}

TEST(LocationsCommand, ListsKeysLabelsSizesAndFolders) {
  FakeHome home;
  FakeHome::Environment environment(home);
  auto r = RunProcess(KELVO_CLI_PATH, {"locations"});
  EXPECT_EQ(r.exitStatus, 0) << r.err;
  const auto lines = Lines(r.out);
  ASSERT_GE(lines.size(), 3u);
  EXPECT_EQ(lines[0], "thumbnails\t缩略图缓存\t4 files\t17500 bytes");
  EXPECT_EQ(lines[1], "\t" + home.tree().Path("home/.cache/thumbnails/"));
  EXPECT_EQ(lines[2], "\t" + home.tree().Path("home/.thumbnails/"));
  EXPECT_THAT(r.out, HasSubstr("old-logs\t旧日志\t3 files\t7300 bytes\n\t" +
                               home.tree().Path("sys/var/log/") + "\n"));
}

TEST(LocationsCommand, AptsFoldersWaitWhileAptHoldsItsLock) {
  FakeHome home;
  FakeHome::Environment environment(home);
  const std::string lock = home.tree().Path("sys/var/cache/apt/archives/lock");
  const int fd = ::open(lock.c_str(), O_RDWR);
  ASSERT_GE(fd, 0);
  struct flock held {};
  held.l_type = F_WRLCK;
  held.l_whence = SEEK_SET;
  ASSERT_EQ(::fcntl(fd, F_SETLK, &held), 0);
  auto r = RunProcess(KELVO_CLI_PATH, {"scan", "--locations=package-cache", "--format=tsv"});
  ::close(fd);
  EXPECT_EQ(r.exitStatus, 0) << r.err;
  EXPECT_EQ(Lines(r.out).size(), 1u) << r.out;  // pacman's package only
  EXPECT_THAT(r.err, HasSubstr("package-cache: " + home.tree().Path("sys/var/cache/apt/archives/") +
                               " skipped: in use by a program that runs (lock " + lock + ")"));
}

TEST(LocationsCommand, CleanDeletesTheTrashWithItsDescriptionsAndEmptiedFolders) {
  // Into the trash or not, what is in the trash goes for good: moving it in again frees nothing.
  for (const char* disposal : {"--yes", "--trash"}) {
    FakeHome home;
    FakeHome::Environment environment(home);
    auto r = RunProcess(KELVO_CLI_PATH, {"clean", "--locations=trash", "--yes", disposal});
    EXPECT_EQ(r.exitStatus, 0) << r.err;
    EXPECT_FALSE(Exists(home.tree().Path("home/.local/share/Trash/files/old project")));
    EXPECT_TRUE(std::filesystem::is_empty(home.tree().Path("home/.local/share/Trash/files")));
    EXPECT_TRUE(std::filesystem::is_empty(home.tree().Path("home/.local/share/Trash/info")));
    EXPECT_TRUE(Exists(home.tree().Path("home/Documents/report.odt")));
  }
}

}  // namespace
}  // namespace kelvo::cli
