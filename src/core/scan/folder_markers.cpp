#include "scan/folder_markers.h"

namespace kelvo::scan {
namespace {

NativeChar AsciiUpper(NativeChar c) {
  return (c >= 'a' && c <= 'z') ? static_cast<NativeChar>(c - 'a' + 'A') : c;
}

bool EqualsIgnoringCaseAt(NativeStringView text, std::size_t pos, NativeStringView upperMarker) {
  if (pos + upperMarker.size() > text.size()) return false;
  for (std::size_t i = 0; i < upperMarker.size(); ++i)
    if (AsciiUpper(text[pos + i]) != upperMarker[i]) return false;
  return true;
}

}  // namespace

FolderMarkers::FolderMarkers() {
  for (std::size_t m = 0; m < kMarkerCount; ++m) {
    NativeString marker(1, platform::kSeparator);
    marker += AsciiToNative(kMarkerNames[m]);
    marker += platform::kSeparator;
    for (NativeChar& c : marker) c = AsciiUpper(c);
    markers_[m] = std::move(marker);
  }
}

MarkerCounts FolderMarkers::Count(NativeStringView path) const {
  MarkerCounts counts{};
  for (std::size_t m = 0; m < kMarkerCount; ++m)
    for (std::size_t pos = 0; pos < path.size(); ++pos)
      if (EqualsIgnoringCaseAt(path, pos, markers_[m])) ++counts[m];
  return counts;
}

MarkerCounts FolderMarkers::Extend(const MarkerCounts& parent, NativeStringView childPath) const {
  MarkerCounts counts = parent;
  for (std::size_t m = 0; m < kMarkerCount; ++m) {
    const NativeString& marker = markers_[m];
    if (childPath.size() >= marker.size() &&
        EqualsIgnoringCaseAt(childPath, childPath.size() - marker.size(), marker))
      ++counts[m];
  }
  return counts;
}

MarkerCounts FolderMarkers::ExtendByName(const MarkerCounts& parent, NativeStringView name) const {
  MarkerCounts counts = parent;
  for (std::size_t m = 0; m < kMarkerCount; ++m) {
    const NativeStringView inner = NativeStringView(markers_[m]).substr(1, markers_[m].size() - 2);
    if (name.size() == inner.size() && EqualsIgnoringCaseAt(name, 0, inner)) ++counts[m];
  }
  return counts;
}

}  // namespace kelvo::scan
