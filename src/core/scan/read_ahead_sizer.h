// How many threads the read-ahead pool reads on, decided from the reads alone: each finished read
// is counted with the time it ended, and after each window of reads the rule below gives the new
// number. No clock is read and no thread is touched here, so the rule can be tested step by step.
//
// A read that took far longer than a cached one (see ReadTookLong) waited on the disk. While at
// least half of a window's reads wait and folders wait to be read, the pool goes to
// kFirstBlockingReaders at once, then tries twice as many for one window and keeps them unless
// they read kWorthGrowing times slower than the better of the two windows before, up to the most;
// after a try that slow it goes back, waits (longer each time) and tries half as many, kept on the
// same terms. A window of quick reads halves the pool. A cold disk wants many requests in flight
// and they seldom cost it anything (a try must not need a clear gain: on a busy machine one window
// is too noisy to show it); a cached tree on few cores gets slower with more threads.
#pragma once

#include <chrono>
#include <cstddef>

namespace kelvo::scan {

// How many threads the pool reads on: least while reads are quick, up to most while they block.
struct ReadAheadThreads {
  unsigned least = 1;
  unsigned most = 1;
};

class ReadAheadSizer {
 public:
  using Clock = std::chrono::steady_clock;

  // A window closes after this many reads, and, unless they were quick, this much time.
  static constexpr unsigned kWindowReads = 32;
  static constexpr auto kWindowTime = std::chrono::milliseconds(40);
  // The work done in a window, in folders: a big folder counts one more per so many entries.
  static constexpr std::size_t kEntriesPerFolder = 16;
  static constexpr double kWorthGrowing = 1.3;
  static constexpr unsigned kFirstHold = 4;
  static constexpr unsigned kLongestHold = 64;
  // The first sign of a cold disk goes straight to this many pool threads (eight readers with the
  // walk's own): more requests in flight than cores, not so many that a busy machine is swamped.
  static constexpr unsigned kFirstBlockingReaders = 7;

  ReadAheadSizer(ReadAheadThreads threads, Clock::time_point start);

  // Whether a read of a folder holding entries (plus the folder itself) that took this long waited
  // on the disk: a cached folder is opened and listed in about ten microseconds, plus a little per
  // entry; one that waits takes ten times that.
  static bool ReadTookLong(Clock::duration took, std::size_t entries);

  // Counts a read that ended at now. readers: the threads allowed to read now; foldersWaiting:
  // whether folders are queued with room to read them. Returns the threads to allow from now on.
  unsigned Count(bool slow, std::size_t entries, Clock::time_point now, unsigned readers,
                 bool foldersWaiting);

 private:
  const ReadAheadThreads threads_;
  Clock::time_point windowStart_;
  unsigned reads_ = 0;      // in the current window
  unsigned slow_ = 0;       // of them, how many blocked
  std::size_t work_ = 0;    // folders read, big ones counting more
  unsigned trialFrom_ = 0;  // while another pool size is tried: the size before
  double rateBefore_ = 0;   // work per second before the try
  double lastRate_ = 0;     // in the window before
  unsigned hold_ = 0;       // windows to wait before the next try
  unsigned nextHold_ = kFirstHold;
  bool tryFewer_ = false;  // the last bigger pool read clearly slower
};

}  // namespace kelvo::scan
