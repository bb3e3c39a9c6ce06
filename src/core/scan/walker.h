// The depth-first, pre-order walk of one scan root.
#pragma once

#include <memory>
#include <vector>

#include "platform/file_system.h"
#include "scan/age_limit.h"
#include "scan/classifier.h"
#include "scan/folder_markers.h"
#include "scan/folder_reader.h"
#include "scan/read_ahead.h"
#include "scan/rule_source.h"
#include "scan/scan_request.h"
#include "scan/scan_sink.h"
#include "scan/scan_state.h"

namespace kelvo::scan {

class Walker {
 public:
  Walker(ScanState& state, RuleSource& rules, ScanSink& sink, platform::FileSystem& fs);
  ~Walker();

  // Walks the tree under a disk or location root (its path ends with the separator): every folder
  // reached is shown and counted; while the scan runs it is listed once, classified, and its
  // sub-folders are entered in listing order. Folders whose names start with "." are not entered;
  // symbolic links are never followed; the walk stays on the root's file system and mount. The root
  // is first resolved to its canonical path, which the rows, the folder markers and the deletion
  // all use. Never throws on file-system errors: a folder that cannot be read is reported to the
  // sink and skipped. An audit root is not walked.
  //
  // With state.folderReaders above 1, folders are read ahead on that many threads; what the sink
  // sees, and in which order, is the same as with one.
  //
  // A junk location's folder (a location root) is walked the same way, but its dot folders are
  // entered, only its own files are taken when it is not recursive, the folders of other locations
  // below it are neither shown nor entered, and each of its files that the location takes is also
  // a row with its label. age: rows of files modified since are left out.
  //
  // reachedByDisk: a location root that a disk root's walk has reached already. Where that walk
  // went (not below a dot folder) the folders are neither shown nor counted again and the rules
  // give no rows: only the location's own rows are added.
  void Walk(const ScanRoot& root, const AgeLimit& age = {}, bool reachedByDisk = false);

 private:
  // One per folder on the current path. Only the folder's own name is kept (in self): the path of
  // the folder in hand is path_, so a deep tree costs memory linear in its depth.
  struct Frame {
    std::size_t pathLength = 0;  // of path_ while this folder is in hand
    SubFolder self;
    MarkerCounts markers{};
    std::shared_ptr<platform::Directory> dir;
    std::vector<SubFolder> children;
    std::vector<ReadAhead::FolderRef> aheadChildren;  // parallel to children while reading ahead
    std::size_t next = 0;
    bool reachedBefore = false;  // by an earlier disk walk: only the location's rows are added
  };

  void WalkTree(NativeStringView root, const LocationFolder* location, const AgeLimit& age,
                bool reachedByDisk);
  // Drops the kept ones from a folder's sub-folders; in a trash their items are then not whole.
  void DropKept(std::vector<SubFolder>& children);
  // Opens sub-folder index of the frame at parentIndex into contents_; returns true when it was
  // also read (ahead), false when it still has to be listed.
  bool OpenChild(std::size_t parentIndex, std::size_t index, Frame& child);
  // Classifies the folder in contents_ and keeps in frame what the walk needs further on.
  void ClassifyAndKeep(Frame& frame, bool isRoot);
  bool EnsureOpen(std::size_t index, std::error_code& ec);
  void LimitOpenDirectories();
  void StopReadingAhead();

  ScanState& state_;
  ScanSink& sink_;
  platform::FileSystem& fs_;
  Classifier classifier_;
  FolderMarkers markerCounter_;
  NativeString root_;
  NativeString path_;  // the folder in hand, ending with the separator
  RootMount rootMount_;
  std::vector<Frame> stack_;
  FolderContents contents_;  // the folder in hand
  std::unique_ptr<ReadAhead> readAhead_;
  const LocationFolder* location_ = nullptr;
};

}  // namespace kelvo::scan
