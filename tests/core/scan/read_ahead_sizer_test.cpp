#include "scan/read_ahead_sizer.h"

#include <gtest/gtest.h>

namespace kelvo::scan {
namespace {

using std::chrono::microseconds;
using std::chrono::milliseconds;
using Sizer = ReadAheadSizer;

// Drives a sizer with reads at a steady pace on a clock of its own, as the pool would: the
// number of readers it returns is the number the next read is counted with.
class Pool {
 public:
  explicit Pool(ReadAheadThreads threads) : readers(threads.least), sizer_(threads, now_) {}

  // A window's worth of reads spread over span, each slow or not; the readers after the last.
  unsigned Window(bool slow, Sizer::Clock::duration span, bool foldersWaiting = true,
                  std::size_t entries = 5) {
    for (unsigned i = 0; i < Sizer::kWindowReads; ++i) {
      now_ += span / Sizer::kWindowReads;
      readers = sizer_.Count(slow, entries, now_, readers, foldersWaiting);
    }
    return readers;
  }

  unsigned readers;

 private:
  Sizer::Clock::time_point now_{};
  Sizer sizer_;
};

TEST(ReadAheadSizer, ASlowReadIsOneTenTimesACachedOne) {
  EXPECT_FALSE(Sizer::ReadTookLong(microseconds(55), 4));
  EXPECT_TRUE(Sizer::ReadTookLong(microseconds(56), 4));
  EXPECT_FALSE(Sizer::ReadTookLong(microseconds(1050), 999));
  EXPECT_TRUE(Sizer::ReadTookLong(milliseconds(2), 999));
}

TEST(ReadAheadSizer, AFixedPoolNeverChanges) {
  Pool pool({4, 4});
  EXPECT_EQ(pool.Window(true, milliseconds(80)), 4u);
  EXPECT_EQ(pool.Window(false, milliseconds(1)), 4u);
}

TEST(ReadAheadSizer, QuickReadsKeepTheLeast) {
  Pool pool({1, 31});
  for (int i = 0; i < 5; ++i) EXPECT_EQ(pool.Window(false, microseconds(300)), 1u);
}

TEST(ReadAheadSizer, AWindowOfBlockedReadsEndsOnlyAfterItsTime) {
  Pool pool({1, 31});
  // 32 blocked reads in 20 ms: the window stays open until 40 ms have passed.
  EXPECT_EQ(pool.Window(true, milliseconds(20)), 1u);
  EXPECT_EQ(pool.Window(true, milliseconds(20)), Sizer::kFirstBlockingReaders);
}

TEST(ReadAheadSizer, BlockedReadsGoToEightThenDoubleUpToTheMostUnlessThatHurts) {
  Pool pool({1, 31});
  EXPECT_EQ(pool.Window(true, milliseconds(40)), 7u);
  EXPECT_EQ(pool.Window(true, milliseconds(40)), 14u);  // a try
  // As fast: kept, and the next try at once.
  EXPECT_EQ(pool.Window(true, milliseconds(40)), 28u);
  // Twice as fast (32 reads in 20 ms, so the window runs to 40 ms with 64): kept.
  EXPECT_EQ(pool.Window(true, milliseconds(20)), 28u);
  EXPECT_EQ(pool.Window(true, milliseconds(20)), 31u);  // the ceiling, a try
  EXPECT_EQ(pool.Window(true, milliseconds(20)), 31u);
  EXPECT_EQ(pool.Window(true, milliseconds(20)), 31u);  // as fast: kept
  // At the ceiling nothing is tried: it stays while reads block, however slow they get.
  for (int i = 0; i < 20; ++i) EXPECT_EQ(pool.Window(true, milliseconds(40 + 10 * i)), 31u) << i;
}

TEST(ReadAheadSizer, ATryALittleSlowerIsKept) {
  Pool pool({1, 31});
  EXPECT_EQ(pool.Window(true, milliseconds(40)), 7u);
  EXPECT_EQ(pool.Window(true, milliseconds(40)), 14u);
  // 1.25 times slower, less than kWorthGrowing: noise on a busy machine, kept.
  EXPECT_EQ(pool.Window(true, milliseconds(50)), 28u);
}

TEST(ReadAheadSizer, ATryThatHurtsGoesBackWaitsAndThenTriesFewer) {
  Pool pool({1, 31});
  EXPECT_EQ(pool.Window(true, milliseconds(40)), 7u);
  EXPECT_EQ(pool.Window(true, milliseconds(40)), 14u);
  EXPECT_EQ(pool.Window(true, milliseconds(53)), 7u);  // 1.325 times slower: back
  for (unsigned i = 0; i < Sizer::kFirstHold - 1; ++i)
    EXPECT_EQ(pool.Window(true, milliseconds(40)), 7u) << i;  // holding
  EXPECT_EQ(pool.Window(true, milliseconds(40)), 3u);         // then half as many
  EXPECT_EQ(pool.Window(true, milliseconds(40)), 3u);         // as fast: kept, holding
  // Longer this time: the hold doubles after each try that ends it.
  for (unsigned i = 0; i < 2 * Sizer::kFirstHold - 1; ++i)
    EXPECT_EQ(pool.Window(true, milliseconds(40)), 3u) << i;
  EXPECT_EQ(pool.Window(true, milliseconds(40)), 7u);  // then more again: the first size
}

TEST(ReadAheadSizer, QuickReadsEndATryOfMore) {
  Pool pool({1, 31});
  EXPECT_EQ(pool.Window(true, milliseconds(40)), 7u);
  EXPECT_EQ(pool.Window(true, milliseconds(40)), 14u);
  // The tree turned out cached: the try is not kept, however fast the window.
  EXPECT_EQ(pool.Window(false, microseconds(300)), 7u);
}

TEST(ReadAheadSizer, NoGrowthWithoutFoldersWaitingAndQuickReadsHalve) {
  Pool pool({1, 31});
  EXPECT_EQ(pool.Window(true, milliseconds(40), false), 1u);
  EXPECT_EQ(pool.Window(true, milliseconds(40)), 7u);
  EXPECT_EQ(pool.Window(false, microseconds(300)), 3u);
  EXPECT_EQ(pool.Window(false, microseconds(300)), 1u);
  EXPECT_EQ(pool.Window(false, microseconds(300)), 1u);
}

}  // namespace
}  // namespace kelvo::scan
