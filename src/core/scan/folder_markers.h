// Counting the folder markers ("/temp/", "/Recent/", ...) of a folder path, ignoring ASCII case.
// Every marker ends with a separator and a name holds none, so an entry's full path holds exactly
// the markers of its folder's path: counts are computed once per folder and carried down the walk.
#pragma once

#include <array>
#include <cstdint>

#include "platform/native_string.h"
#include "scan/junk_rules.h"

namespace kelvo::scan {

using MarkerCounts = std::array<std::uint32_t, kMarkerCount>;

class FolderMarkers {
 public:
  FolderMarkers();  // the platform's separator around each marker name

  // Occurrences of each marker anywhere in the path, overlapping ones included.
  MarkerCounts Count(NativeStringView path) const;
  // Counts of parentPath + name + separator, given the counts of parentPath.
  MarkerCounts Extend(const MarkerCounts& parent, NativeStringView childPath) const;
  // The same from the sub-folder's name alone: its path ends with separator, name, separator, so
  // only a name equal to a marker's adds to the counts.
  MarkerCounts ExtendByName(const MarkerCounts& parent, NativeStringView name) const;

 private:
  std::array<NativeString, kMarkerCount> markers_;
};

}  // namespace kelvo::scan
