#include "platform/posix/whole_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "platform/posix/mount_table.h"
#include "platform/posix/unique_fd.h"
#include "support/temp_tree.h"

namespace kelvo::platform {
namespace {

TEST(WholeFile, ReadsUpToTheLimitAndRefusesOneByteMore) {
  testing::TempTree tree;
  tree.File("ten", "0123456789");
  const std::string path = tree.PathUtf8("ten");
  auto exact = ReadWholeFile(path.c_str(), 10);
  ASSERT_TRUE(exact);
  EXPECT_EQ(*exact, "0123456789");
  auto over = ReadWholeFile(path.c_str(), 9);
  ASSERT_FALSE(over);
  EXPECT_EQ(over.error(), std::errc::file_too_large);
}

TEST(WholeFile, ABigSparseFileIsRefusedByWhatIsReadNotByItsClaim) {
  testing::TempTree tree;
  tree.File("sparse", "");
  const std::string path = tree.PathUtf8("sparse");
  ASSERT_EQ(::truncate(path.c_str(), 1 << 30), 0);
  auto read = ReadWholeFile(path.c_str(), 200 << 10);
  ASSERT_FALSE(read);
  EXPECT_EQ(read.error(), std::errc::file_too_large);
}

TEST(WholeFile, ReadsTheRestOfAnOpenFileAndReportsWhyAnOpenFailed) {
  testing::TempTree tree;
  tree.File("text", "head-tail");
  UniqueFd fd(::open(tree.PathUtf8("text").c_str(), O_RDONLY | O_CLOEXEC));
  ASSERT_TRUE(fd);
  char head[5];
  ASSERT_EQ(::read(fd.get(), head, sizeof head), 5);
  auto rest = ReadWholeFile(fd.get(), 100);
  ASSERT_TRUE(rest);
  EXPECT_EQ(*rest, "tail");

  auto missing = ReadWholeFile(tree.PathUtf8("missing").c_str(), 100);
  ASSERT_FALSE(missing);
  EXPECT_EQ(missing.error(), std::errc::no_such_file_or_directory);
  auto folder = ReadWholeFile(tree.RootUtf8().c_str(), 100);
  ASSERT_FALSE(folder);
  EXPECT_EQ(folder.error(), std::errc::is_a_directory);
}

TEST(WholeFile, AFifoDoesNotHoldTheOpen) {
  testing::TempTree tree;
  const std::string path = tree.PathUtf8("fifo");
  ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
  auto read = ReadWholeFile(path.c_str(), 100);  // no writer: empty at once, not blocked
  ASSERT_TRUE(read);
  EXPECT_EQ(*read, "");
}

TEST(WholeFile, ThisProcessSeesItsRootMount) {
  bool root = false;
  for (const MountEntry& m : ReadOwnMounts()) root = root || m.mountPoint == "/";
  EXPECT_TRUE(root);
}

}  // namespace
}  // namespace kelvo::platform
