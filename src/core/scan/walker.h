// The depth-first, pre-order walk of one scan root.
#pragma once

#include <memory>
#include <vector>

#include "platform/file_system.h"
#include "scan/classifier.h"
#include "scan/folder_markers.h"
#include "scan/scan_controls.h"
#include "scan/scan_state.h"

namespace kelvo::scan {

// Walks the tree under root (a path ending with the separator): every folder reached is shown and
// counted; while the scan runs it is listed once, classified, and its sub-folders are entered in
// listing order. Folders whose names start with "." are not entered; symbolic links are never
// followed; the walk stays on the root's file system. Never throws on file-system errors: a folder
// that cannot be read is reported through the controls and skipped.
void ScanFolder(ScanState& state, ScanControls& controls, platform::FileSystem& fs,
                NativeStringView root);

class Walker {
 public:
  Walker(ScanState& state, ScanControls& controls, platform::FileSystem& fs);
  void Walk(NativeStringView root);

 private:
  struct PendingFolder {
    NativeString name;
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    bool identityKnown = false;
  };
  struct Frame {
    NativeString path;  // ends with the separator
    PendingFolder self;
    MarkerCounts markers{};
    std::unique_ptr<platform::Directory> dir;
    std::vector<PendingFolder> children;
    std::size_t next = 0;
  };

  void ShowAndCount(NativeStringView path);
  // Lists and classifies the folder of frame, and collects its sub-folders.
  bool ListAndClassify(Frame& frame, bool isRoot);
  std::unique_ptr<platform::Directory> OpenPending(std::size_t parentIndex,
                                                   const PendingFolder& child,
                                                   std::error_code& ec);
  bool EnsureOpen(std::size_t index, std::error_code& ec);
  void LimitOpenDirectories();

  ScanState& state_;
  ScanControls& controls_;
  platform::FileSystem& fs_;
  Classifier classifier_;
  FolderMarkers markerCounter_;
  NativeString root_;
  std::uint64_t rootDevice_ = 0;
  std::vector<Frame> stack_;
  platform::Listing listing_;
  std::vector<EntryFacts> facts_;
};

}  // namespace kelvo::scan
