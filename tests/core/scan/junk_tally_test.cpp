// Counting rows as files: each file once per kind, per disk and in all, what deleting would free,
// and the same figures from a scan of a real tree with a hard link and a sparse file.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "scan/junk_rules.h"
#include "scan/junk_tally.h"
#include "scan/locations.h"
#include "support/recording_scan.h"
#include "support/temp_tree.h"

namespace kelvo::scan {
namespace {

TallyRow Row(int rule, std::uint64_t device, std::uint64_t inode, std::uint64_t bytes,
             std::uint64_t onDisk, std::uint32_t links = 1, std::uint64_t pathHash = 0) {
  TallyRow r;
  r.rule = rule;
  r.identified = true;
  r.device = device;
  r.inode = inode;
  r.bytes = bytes;
  r.bytesOnDisk = onDisk;
  r.links = links;
  r.pathHash = pathHash ? pathHash : inode;
  return r;
}

const TallyCounts* KindOf(const JunkTally& t, int rule) {
  static TallyCounts found;
  for (const auto& k : t.Kinds())
    if (k.kind.rule == rule) return &(found = k.counts);
  return nullptr;
}

TEST(JunkTallyTest, AFileListedByTwoRulesCountsOnceInAllAndOnceInEachKind) {
  JunkTally t;
  t.Add(Row(1, 7, 100, 10, 4096));              // *.tmp
  t.Add(Row(kZeroByteRule, 7, 100, 10, 4096));  // the same file by another rule
  t.Add(Row(1, 7, 101, 5, 4096));
  EXPECT_EQ(t.Total(), (TallyCounts{2, 15, 8192}));
  ASSERT_NE(KindOf(t, 1), nullptr);
  EXPECT_EQ(*KindOf(t, 1), (TallyCounts{2, 15, 8192}));
  EXPECT_EQ(*KindOf(t, kZeroByteRule), (TallyCounts{1, 10, 4096}));
  ASSERT_EQ(t.Disks().size(), 1u);
  EXPECT_EQ(t.Disks()[0].counts, (TallyCounts{2, 15, 8192}));
}

TEST(JunkTallyTest, TheSameRuleTwiceForOneFileCountsOnce) {
  // A location inside a ticked disk lists its files twice under the same rule.
  JunkTally t;
  const int logs = LocationRule(0);
  t.Add(Row(logs, 1, 5, 100, 4096));
  t.Add(Row(logs, 1, 5, 100, 4096));
  EXPECT_EQ(t.Total().files, 1u);
  EXPECT_EQ(KindOf(t, logs)->files, 1u);
  t.Remove(Row(logs, 1, 5, 100, 4096));
  EXPECT_EQ(t.Total().files, 1u);  // its other row still lists it
  t.Remove(Row(logs, 1, 5, 100, 4096));
  EXPECT_EQ(t.Total(), TallyCounts{});
  EXPECT_TRUE(t.Kinds().empty());
  EXPECT_TRUE(t.Disks().empty());
}

TEST(JunkTallyTest, RemovingOneRuleOfTwoLeavesTheFileInTheOther) {
  JunkTally t;
  t.Add(Row(1, 1, 9, 3, 4096));
  t.Add(Row(4, 1, 9, 3, 4096));
  t.Remove(Row(1, 1, 9, 3, 4096));
  EXPECT_EQ(KindOf(t, 1), nullptr);
  EXPECT_EQ(KindOf(t, 4)->files, 1u);
  EXPECT_EQ(t.Total().files, 1u);
  EXPECT_EQ(t.Freeable(), 4096u);
}

TEST(JunkTallyTest, DisksAreCountedApartAndNamedByTheirShortestRoot) {
  JunkTally t;
  TallyRow a = Row(1, 1, 1, 10, 4096);
  const NativeString home = Utf8ToNative("/home/ann/"), top = Utf8ToNative("/"),
                     data = Utf8ToNative("/data/");
  a.root = home;
  TallyRow b = Row(1, 1, 2, 20, 8192);
  b.root = top;
  TallyRow c = Row(1, 2, 1, 30, 32768);  // inode 1 again, but on another disk: another file
  c.root = data;
  t.Add(a);
  t.Add(b);
  t.Add(c);
  const auto disks = t.Disks();
  ASSERT_EQ(disks.size(), 2u);
  EXPECT_EQ(NativeToUtf8(disks[0].root), "/data/");  // the largest first
  EXPECT_EQ(disks[0].counts, (TallyCounts{1, 30, 32768}));
  EXPECT_EQ(NativeToUtf8(disks[1].root), "/");
  EXPECT_EQ(disks[1].counts, (TallyCounts{2, 30, 12288}));
  EXPECT_EQ(t.Total().files, 3u);
}

TEST(JunkTallyTest, AHardLinkFreesNothingUntilEveryNameIsListed) {
  JunkTally t;
  t.Add(Row(1, 1, 50, 100, 4096, /*links=*/2, /*pathHash=*/111));
  EXPECT_EQ(t.Freeable(), 0u);
  t.Add(Row(4, 1, 50, 100, 4096, 2, 111));  // the same name by another rule: still one name
  EXPECT_EQ(t.Freeable(), 0u);
  t.Add(Row(1, 1, 50, 100, 4096, 2, 222));  // the other name
  EXPECT_EQ(t.Freeable(), 4096u);
  EXPECT_EQ(t.Total().files, 1u);
  t.Remove(Row(1, 1, 50, 100, 4096, 2, 222));
  EXPECT_EQ(t.Freeable(), 0u);
  t.Remove(Row(4, 1, 50, 100, 4096, 2, 111));
  t.Remove(Row(1, 1, 50, 100, 4096, 2, 111));
  EXPECT_EQ(t.Freeable(), 0u);
  EXPECT_EQ(t.Total(), TallyCounts{});
}

TEST(JunkTallyTest, RowsWithoutAnIdentityAreEachAFile) {
  JunkTally t;
  TallyRow r;
  r.rule = kAuditRule;
  r.bytes = 7;
  r.bytesOnDisk = 7;
  t.Add(r);
  t.Add(r);
  EXPECT_EQ(t.Total(), (TallyCounts{2, 14, 14}));
  t.Remove(r);
  EXPECT_EQ(t.Total(), (TallyCounts{1, 7, 7}));
  EXPECT_EQ(t.Kinds().at(0).kind.Name(), "dll-audit");
}

TEST(JunkTallyTest, ARealTreeWithAHardLinkAndASparseFileIsCountedHonestly) {
  testing::TempTree tree;
  tree.File("one.tmp", "x");
  tree.File("kept.txt", "hello");
  ASSERT_EQ(::link(tree.PathUtf8("kept.txt").c_str(), tree.PathUtf8("alias.tmp").c_str()), 0);
  tree.File("pair.tmp", "12345678");
  ASSERT_EQ(::link(tree.PathUtf8("pair.tmp").c_str(), tree.PathUtf8("pair2.tmp").c_str()), 0);
  {
    const int fd = ::open(tree.PathUtf8("sparse.tmp").c_str(), O_CREAT | O_WRONLY, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::ftruncate(fd, 64 << 20), 0);  // 64 MiB long, no block written
    ::close(fd);
  }
  testing::RecordingScan scan;
  scan.driveKeys = {tree.RootUtf8()};
  scan.patterns[0] = true;  // *.tmp
  ScanState state;
  testing::RunScan(state, scan, platform::NativeFileSystem());

  JunkTally t;
  std::uint64_t allocated = 0;
  for (const JunkItem& item : scan.rows) {
    struct stat st;
    ASSERT_EQ(::lstat(NativeToUtf8(item.fullPath).c_str(), &st), 0);
    EXPECT_EQ(item.bytesOnDisk, static_cast<std::uint64_t>(st.st_blocks) * 512)
        << NativeToUtf8(item.fullPath);
    EXPECT_EQ(item.links, st.st_nlink);
    t.Add(TallyRowOf(item));
    if (NativeToUtf8(item.fileName) != "pair2.tmp") allocated += item.bytesOnDisk;
  }
  ASSERT_EQ(scan.rows.size(), 5u);  // one, alias, pair, pair2, sparse
  EXPECT_EQ(t.Total().files, 4u);   // pair and pair2 are one file
  EXPECT_EQ(t.Total().bytes, 1u + 5 + 8 + (64u << 20));
  EXPECT_LT(t.Total().bytesOnDisk, 1u << 20);  // the sparse file takes almost nothing
  EXPECT_EQ(t.Total().bytesOnDisk, allocated);
  // alias.tmp frees nothing: kept.txt still names its blocks; both names of the pair are listed.
  std::uint64_t aliasBlocks = 0;
  for (const JunkItem& item : scan.rows)
    if (NativeToUtf8(item.fileName) == "alias.tmp") aliasBlocks = item.bytesOnDisk;
  EXPECT_EQ(t.Freeable(), allocated - aliasBlocks);
}

}  // namespace
}  // namespace kelvo::scan
