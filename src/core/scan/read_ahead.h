// Reading folders ahead of the walk on a small pool of threads. The walk keeps its own order and
// asks for each folder when it gets there: a folder already read is handed over, one being read is
// waited for, one not started yet is read by the walk itself. The pool reads in the walk's order
// (depth first, listing order) and only so far ahead: at most a fixed number of folders and entries
// wait to be taken. Nothing read ahead is observable until the walk takes it.
//
// The pool may also size itself: reads that block on the disk (far slower than a cached read) while
// folders wait to be read add readers, so that more requests are in flight; a run of quick reads
// sends the extra readers back to sleep, since on a cached tree they only contend for the cores.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <queue>
#include <thread>
#include <vector>

#include "scan/folder_reader.h"
#include "scan/read_ahead_sizer.h"

namespace kelvo::scan {

class KeepList;

// How far the pool may read ahead: folders read and not yet taken (each holds an open directory),
// and the entries they hold.
struct ReadAheadLimits {
  std::size_t folders = 256;
  std::size_t entries = 32768;
};

class ReadAhead {
 public:
  class Folder;  // one sub-folder: waiting, being read, read, or taken
  using FolderRef = std::shared_ptr<Folder>;
  using Limits = ReadAheadLimits;

  // threads: a fixed pool of that size (at least 1); the walk's own thread also reads while it
  // would otherwise wait. rules: the rules in force, to examine likely hits ahead; see SetRules.
  ReadAhead(unsigned threads, const RootMount& root, const RuleSwitches& rules, Limits limits = {});
  // The same with a pool that may grow from threads.least to threads.most readers while reads wait
  // on the disk; dotFolders: folders whose names start with "." are read too.
  ReadAhead(ReadAheadThreads threads, const RootMount& root, const RuleSwitches& rules,
            Limits limits = {}, bool dotFolders = false);
  ~ReadAhead();  // stops the pool; what was read and not taken is dropped
  ReadAhead(const ReadAhead&) = delete;
  ReadAhead& operator=(const ReadAhead&) = delete;

  // Sub-folders that keep keeps are dropped from every folder read ahead, unopened. Set before
  // Begin; the list must outlive the pool.
  void SetKeepList(const KeepList* keep) { keep_ = keep; }

  // Queues the sub-folders of a folder the walk has read itself (a scan root, whose path, ending
  // with the separator, the keep-list needs). Returns one ref per sub-folder, in the same order.
  std::vector<FolderRef> Begin(const std::shared_ptr<platform::Directory>& dir,
                               const std::vector<SubFolder>& children, const MarkerCounts& markers,
                               NativeStringView path = {});

  // Hands a folder over to the walk: its contents (swapped into contents) and refs to its own
  // sub-folders, queued in turn.
  void Take(const FolderRef& folder, FolderContents& contents, std::vector<FolderRef>& subFolders);

  // The rules the walk last read, a hint for what to examine ahead; the classifier still decides.
  void SetRules(const RuleSwitches& rules);

  // Threads allowed to read now, and the most there were at once.
  unsigned Readers() const;
  unsigned PeakReaders() const;

 private:
  struct Later {
    bool operator()(const FolderRef& a, const FolderRef& b) const;
  };

  std::vector<FolderRef> MakeFolders(const std::shared_ptr<platform::Directory>& dir,
                                     const std::vector<SubFolder>& children,
                                     const MarkerCounts& markers,
                                     const std::vector<std::uint32_t>& parentKey,
                                     NativeStringView parentPath) const;
  // Reads a folder and tells how long it took against how long a cached read would.
  bool Read(Folder& folder) const;
  // With the lock held: the first queued folder nobody has started, marked as being read.
  FolderRef NextToRead();
  // Reads a folder marked as being read (dropping the lock meanwhile) and publishes it.
  void ReadAndPublish(const FolderRef& folder, std::unique_lock<std::mutex>& lock);
  void Work(unsigned index);
  // With the lock held: counts a read and resizes the pool as the sizer says.
  void CountRead(bool slow, std::size_t cost);
  bool AddReader();  // false when no thread could be started
  bool HasRoom() const;
  bool HasWork() const;  // with the lock held: folders queued and room to read them
  // With the lock held: wakes up to that many idle readers, one per folder queued.
  void OfferWork(std::size_t folders);
  // With the lock held: gives a folder about to be read the buffers of one already taken.
  void ReuseBuffers(Folder& folder);

  const RootMount root_;
  const KeepList* keep_ = nullptr;
  const Limits limits_;
  const bool dotFolders_;
  const FolderMarkers markerCounter_;
  std::atomic<unsigned long long> rules_;

  const ReadAheadThreads threads_;

  mutable std::mutex mutex_;
  std::condition_variable workWanted_;     // the pool waits for folders to read and for room
  std::condition_variable folderRead_;     // the walk waits for the folder it asked for
  std::condition_variable readerAllowed_;  // readers past allowed_ wait to be let back in
  std::priority_queue<FolderRef, std::vector<FolderRef>, Later> queue_;
  std::size_t readFolders_ = 0;  // read and not taken
  std::size_t readEntries_ = 0;
  static constexpr std::size_t kSpareBuffers = 16;
  std::vector<FolderContents> spare_;
  const Folder* awaited_ = nullptr;  // the folder the walk waits for
  unsigned idle_ = 0;                // readers waiting for work
  bool readsBlock_ = false;          // the last read waited on the disk
  bool stopping_ = false;
  unsigned allowed_ = 0;  // threads with a lower index read; the others sleep
  unsigned peak_ = 0;
  ReadAheadSizer sizer_;
  std::vector<std::thread> pool_;
};

}  // namespace kelvo::scan
