#include "scan/read_ahead_sizer.h"

#include <algorithm>
#include <utility>

namespace kelvo::scan {

namespace {
constexpr auto kSlowRead = std::chrono::microseconds(50);
constexpr auto kSlowReadPerEntry = std::chrono::microseconds(1);
}  // namespace

ReadAheadSizer::ReadAheadSizer(ReadAheadThreads threads, Clock::time_point start)
    : threads_{std::max(threads.least, 1u), std::max({threads.most, threads.least, 1u})},
      windowStart_(start) {}

bool ReadAheadSizer::ReadTookLong(Clock::duration took, std::size_t entries) {
  return took > kSlowRead + kSlowReadPerEntry * static_cast<long>(entries + 1);
}

unsigned ReadAheadSizer::Count(bool slow, std::size_t entries, Clock::time_point now,
                               unsigned readers, bool foldersWaiting) {
  if (threads_.least == threads_.most) return readers;
  ++reads_;
  if (slow) ++slow_;
  work_ += 1 + (entries + 1) / kEntriesPerFolder;
  const auto elapsed = now - windowStart_;
  const bool quick = slow_ * 8 <= reads_;
  // A window of quick reads ends at once; one that blocks lasts long enough to time.
  if (reads_ < kWindowReads || (!quick && elapsed < kWindowTime)) return readers;
  const double seconds = std::max(std::chrono::duration<double>(elapsed).count(), 1e-9);
  const double rate = static_cast<double>(work_) / seconds;
  const bool blocking = slow_ * 2 >= reads_;
  const double lastRate = std::exchange(lastRate_, rate);
  reads_ = slow_ = 0;
  work_ = 0;
  windowStart_ = now;
  if (trialFrom_) {
    // A bigger pool must read clearly faster to stay; a smaller one, not clearly slower.
    const unsigned before = std::exchange(trialFrom_, 0u);
    const bool up = readers > before;
    // A try is kept unless it read clearly slower: more requests in flight seldom cost a cold
    // disk anything, and a bigger pool that does not help is halved again by the quick windows.
    const bool kept =
        up ? !quick && rate * kWorthGrowing >= rateBefore_ : rate * kWorthGrowing >= rateBefore_;
    if (!kept) readers = before;
    if (up && kept) {
      nextHold_ = kFirstHold;  // and straight on to the next try
    } else {
      hold_ = nextHold_;
      nextHold_ = std::min(kLongestHold, nextHold_ * 2);
      tryFewer_ = up;
      return readers;
    }
  }
  if (hold_) --hold_;
  if (blocking && !hold_ && foldersWaiting) {
    // Folders wait while readers wait on the disk: try twice the requests in flight, or, after a
    // bigger pool did not help, half of them.
    const unsigned first = std::min(threads_.most, kFirstBlockingReaders);
    if (readers < first) return first;
    const unsigned target =
        tryFewer_ ? std::max(threads_.least, readers / 2) : std::min(threads_.most, readers * 2);
    tryFewer_ = false;
    if (target == readers) return readers;
    trialFrom_ = readers;
    rateBefore_ = std::max(rate, lastRate);  // a lucky window alone does not make a try pay
    return target;
  }
  if (quick && readers > threads_.least) return std::max(threads_.least, readers / 2);
  return readers;
}

}  // namespace kelvo::scan
