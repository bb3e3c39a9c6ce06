// Reading folders ahead of the walk on a small pool of threads. The walk keeps its own order and
// asks for each folder when it gets there: a folder already read is handed over, one being read is
// waited for, one not started yet is read by the walk itself. The pool reads in the walk's order
// (depth first, listing order) and only so far ahead: at most a fixed number of folders and entries
// wait to be taken. Nothing read ahead is observable until the walk takes it.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <queue>
#include <thread>
#include <vector>

#include "scan/folder_reader.h"

namespace kelvo::scan {

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

  // threads: the size of the pool (at least 1); the walk's own thread also reads while it would
  // otherwise wait. rules: the rules in force, to examine likely hits
  // ahead; see SetRules.
  ReadAhead(unsigned threads, const RootMount& root, const RuleSwitches& rules, Limits limits = {});
  ~ReadAhead();  // stops the pool; what was read and not taken is dropped
  ReadAhead(const ReadAhead&) = delete;
  ReadAhead& operator=(const ReadAhead&) = delete;

  // Queues the sub-folders of a folder the walk has read itself (a scan root). Returns one ref per
  // sub-folder, in the same order.
  std::vector<FolderRef> Begin(const std::shared_ptr<platform::Directory>& dir,
                               const std::vector<SubFolder>& children, const MarkerCounts& markers);

  // Hands a folder over to the walk: its contents (swapped into contents) and refs to its own
  // sub-folders, queued in turn.
  void Take(const FolderRef& folder, FolderContents& contents, std::vector<FolderRef>& subFolders);

  // The rules the walk last read, a hint for what to examine ahead; the classifier still decides.
  void SetRules(const RuleSwitches& rules);

 private:
  struct Later {
    bool operator()(const FolderRef& a, const FolderRef& b) const;
  };

  std::vector<FolderRef> MakeFolders(const std::shared_ptr<platform::Directory>& dir,
                                     const std::vector<SubFolder>& children,
                                     const MarkerCounts& markers,
                                     const std::vector<std::uint32_t>& parentKey) const;
  void Read(Folder& folder) const;
  // With the lock held: the first queued folder nobody has started, marked as being read.
  FolderRef NextToRead();
  // Reads a folder marked as being read (dropping the lock meanwhile) and publishes it.
  void ReadAndPublish(const FolderRef& folder, std::unique_lock<std::mutex>& lock);
  void Work();
  bool HasRoom() const;
  // With the lock held: gives a folder about to be read the buffers of one already taken.
  void ReuseBuffers(Folder& folder);

  const RootMount root_;
  const Limits limits_;
  const FolderMarkers markerCounter_;
  std::atomic<unsigned long long> rules_;

  std::mutex mutex_;
  std::condition_variable workWanted_;  // the pool waits for folders to read and for room
  std::condition_variable folderRead_;  // the walk waits for the folder it asked for
  std::priority_queue<FolderRef, std::vector<FolderRef>, Later> queue_;
  std::size_t readFolders_ = 0;  // read and not taken
  std::size_t readEntries_ = 0;
  static constexpr std::size_t kSpareBuffers = 16;
  std::vector<FolderContents> spare_;
  bool walkWaiting_ = false;
  bool stopping_ = false;
  std::vector<std::thread> threads_;
};

}  // namespace kelvo::scan
