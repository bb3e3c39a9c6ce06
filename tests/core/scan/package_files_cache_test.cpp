// The package index's cache file is a safety filter's data: each way it can be wrong must lead
// to the lists being read again, never to a filter that lets package files through.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <functional>

#include "platform/package_files.h"
#include "scan/package_filter.h"
#include "support/file_text.h"
#include "support/temp_tree.h"

namespace kelvo::scan {
namespace {

// The paths here are the real system's: only what the fake lists name is to count.
const std::vector<NativeString> kListedOnly;

using testing::TempTree;

class PackageFilesCache : public ::testing::Test {
 protected:
  void SetUp() override {
    db_.File("var/lib/dpkg/info/tool.list", "/usr/bin/kelvo-test-tool\n/usr/bin\n");
    db_.File("var/lib/dpkg/status", "Package: tool\n");
    databases_ = {db_.root(), false, cache_.Path("kelvo")};
    file_ = cache_.Path("kelvo/") + std::string(platform::kPackageFilesCacheName);
  }

  // A valid cache, for the databases as they are now, that names the listed paths and one no list
  // names: a filter that keeps that one out has trusted the file.
  void WriteForgedCache() {
    platform::PackageFileIndex forged;
    for (const char* path : {"/usr/bin/kelvo-test-tool", "/usr/bin", kForged}) forged.Add(path);
    forged.Finish();
    ASSERT_FALSE(platform::SavePackageFilesCache(
        databases_.cacheFolder, platform::PackageDatabaseStamp(databases_), forged));
  }

  // Whether a new filter trusted the forged cache; either way it must keep the listed file out.
  bool FilterTrustedForgery() {
    PackageFilter filter(databases_, kListedOnly);
    EXPECT_TRUE(filter.KeepsOut("/usr/bin/kelvo-test-tool"));
    const bool forged = filter.KeepsOut(kForged);
    EXPECT_TRUE(!forged || filter.FromCache());
    return forged;
  }

  // Whether a new filter mapped a good cache file, as it should once one has been written.
  bool FilterMappedGoodCache() {
    PackageFilter filter(databases_, kListedOnly);
    EXPECT_TRUE(filter.KeepsOut("/usr/bin/kelvo-test-tool"));
    EXPECT_FALSE(filter.KeepsOut(kForged));
    return filter.FromCache();
  }

  static constexpr const char* kForged = "/forged/path";
  TempTree db_;
  TempTree cache_;
  platform::PackageDatabases databases_;
  std::string file_;
};

TEST_F(PackageFilesCache, TheFirstFilterBuildsTheFileTheNextMapsIt) {
  {
    PackageFilter first(databases_, kListedOnly);
    EXPECT_TRUE(first.KeepsOut("/usr/bin/kelvo-test-tool"));
    EXPECT_TRUE(first.KeepsOut("/usr/bin"));
    EXPECT_FALSE(first.KeepsOut("/usr/bin/other"));
    EXPECT_FALSE(first.FromCache());
    EXPECT_FALSE(first.CacheProblem());
  }
  struct stat st;
  ASSERT_EQ(::lstat(file_.c_str(), &st), 0);
  EXPECT_TRUE(S_ISREG(st.st_mode));
  EXPECT_EQ(st.st_uid, ::geteuid());
  EXPECT_EQ(st.st_mode & 022, 0u);

  PackageFilter second(databases_, kListedOnly);
  EXPECT_TRUE(second.FromCache());
  EXPECT_TRUE(second.KeepsOut("/usr/bin/kelvo-test-tool"));
  EXPECT_TRUE(second.KeepsOut("/usr/bin"));
  EXPECT_FALSE(second.KeepsOut("/usr/bin/other"));
  EXPECT_FALSE(second.KeepsOut("/usr/bin/kelvo-test-too"));
  EXPECT_FALSE(second.KeepsOut("/usr/bin/kelvo-test-tool2"));
  EXPECT_EQ(second.Kept(), 2u);
}

TEST_F(PackageFilesCache, AValidFileIsTrusted) {
  WriteForgedCache();
  EXPECT_TRUE(FilterTrustedForgery());
}

// Each way a file can be wrong or not be ours: not used, and replaced by a good one.
TEST_F(PackageFilesCache, AFileNotToBeTrustedIsRebuilt) {
  auto patch = [this](off_t at, char byte) {
    const int fd = ::open(file_.c_str(), O_WRONLY);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::pwrite(fd, &byte, 1, at), 1);
    ::close(fd);
  };
  auto size = [this] {
    struct stat st;
    EXPECT_EQ(::stat(file_.c_str(), &st), 0);
    return st.st_size;
  };
  const std::vector<std::pair<const char*, std::function<void()>>> faults = {
      {"owned by another user", [&] { ASSERT_EQ(::chown(file_.c_str(), 65534, 65534), 0); }},
      {"writable by others", [&] { ASSERT_EQ(::chmod(file_.c_str(), 0646), 0); }},
      {"writable by the group", [&] { ASSERT_EQ(::chmod(file_.c_str(), 0664), 0); }},
      {"another version", [&] { patch(8, 2); }},
      {"another magic", [&] { patch(0, 'X'); }},
      {"truncated", [&] { ASSERT_EQ(::truncate(file_.c_str(), size() - 1), 0); }},
      {"cut to its header", [&] { ASSERT_EQ(::truncate(file_.c_str(), 48), 0); }},
      {"empty", [&] { ASSERT_EQ(::truncate(file_.c_str(), 0), 0); }},
      {"grown", [&] { ASSERT_EQ(::truncate(file_.c_str(), size() + 4), 0); }},
      {"a path changed", [&] { patch(size() - 3, 'X'); }},
      {"the stamp changed", [&] { patch(48, 'X'); }},
      {"a list added", [&] { db_.File("var/lib/dpkg/info/new.list", "/opt/new\n"); }},
      {"the status grew", [&] { db_.File("var/lib/dpkg/status", "Package: tool\n\n"); }},
      {"a link to a good file",
       [&] {
         ASSERT_EQ(::rename(file_.c_str(), cache_.Path("good").c_str()), 0);
         cache_.Symlink(cache_.Path("good"),
                        "kelvo/" + std::string(platform::kPackageFilesCacheName));
       }},
      {"a FIFO", [&] {
         ASSERT_EQ(::unlink(file_.c_str()), 0);
         ASSERT_EQ(::mkfifo(file_.c_str(), 0600), 0);
       }}};
  for (const auto& [fault, apply] : faults) {
    SCOPED_TRACE(fault);
    WriteForgedCache();
    apply();
    EXPECT_FALSE(FilterTrustedForgery());
    // The filter wrote a good file over the bad one, and the next one maps it.
    struct stat st;
    ASSERT_EQ(::lstat(file_.c_str(), &st), 0);
    EXPECT_TRUE(S_ISREG(st.st_mode));
    EXPECT_EQ(st.st_uid, ::geteuid());
    EXPECT_TRUE(FilterMappedGoodCache());
  }
}

TEST_F(PackageFilesCache, AFolderOthersMayWriteIsNeitherReadNorWritten) {
  WriteForgedCache();
  ASSERT_EQ(::chmod(databases_.cacheFolder.c_str(), 0777), 0);
  PackageFilter filter(databases_, kListedOnly);
  EXPECT_TRUE(filter.KeepsOut("/usr/bin/kelvo-test-tool"));
  EXPECT_FALSE(filter.KeepsOut(kForged));
  EXPECT_FALSE(filter.FromCache());
  EXPECT_EQ(filter.CacheProblem(), std::errc::permission_denied);
}

TEST_F(PackageFilesCache, AFailedWriteKeepsTheListsInMemory) {
  cache_.File("not-a-folder");
  databases_.cacheFolder = cache_.Path("not-a-folder/kelvo");
  for (int scan = 0; scan < 2; ++scan) {
    PackageFilter filter(databases_, kListedOnly);
    EXPECT_TRUE(filter.KeepsOut("/usr/bin/kelvo-test-tool"));
    EXPECT_FALSE(filter.FromCache());
    EXPECT_EQ(filter.CacheProblem(), std::errc::not_a_directory);
  }
}

TEST_F(PackageFilesCache, ListsThatGiveNothingAreNotCached) {
  databases_.root = cache_.Path("no-databases/");
  PackageFilter filter(databases_, kListedOnly);
  EXPECT_FALSE(filter.KeepsOut("/usr/bin/kelvo-test-tool"));
  EXPECT_FALSE(filter.CacheProblem());
  EXPECT_FALSE(testing::Exists(file_));
}

}  // namespace
}  // namespace kelvo::scan
