#include "cleanup/trash_place.h"

#include <algorithm>
#include <system_error>
#include <vector>

#include "platform/file_system.h"

namespace kelvo::cleanup {
namespace {

constexpr NativeChar kSep = platform::kSeparator;

bool AllDigits(NativeStringView s) {
  return !s.empty() &&
         std::all_of(s.begin(), s.end(), [](NativeChar c) { return c >= '0' && c <= '9'; });
}

bool IsTrashFolderName(const std::vector<NativeStringView>& parts, std::size_t at) {
  const NativeStringView name = parts[at];
  if (name == AsciiToNative("Trash")) return true;
  const NativeString own = AsciiToNative(".Trash-");
  if (name.size() > own.size() && name.substr(0, own.size()) == own &&
      AllDigits(name.substr(own.size())))
    return true;
  return at > 0 && AllDigits(name) && parts[at - 1] == AsciiToNative(".Trash");
}

bool HasFolder(const NativeString& folder, NativeStringView name) {
  std::error_code ec;
  auto dir = platform::NativeFileSystem().OpenDirectory(folder, ec);
  platform::EntryStat st;
  const NativeString child(name);
  return dir && !dir->Stat(child.c_str(), st) && st.type == platform::EntryType::kDirectory;
}

}  // namespace

TrashPlace LocateInTrash(NativeStringView path) {
  std::vector<NativeStringView> parts;
  std::vector<std::size_t> starts;
  for (std::size_t i = 0; i < path.size();) {
    if (path[i] == kSep) {
      ++i;
      continue;
    }
    const std::size_t end = std::min(path.find(kSep, i), path.size());
    parts.push_back(path.substr(i, end - i));
    starts.push_back(i);
    i = end;
  }
  const NativeString files = AsciiToNative("files");
  const NativeString info = AsciiToNative("info");
  const NativeString suffix = AsciiToNative(".trashinfo");
  for (std::size_t i = 1; i + 1 < parts.size(); ++i) {
    const bool inFiles = parts[i] == files;
    const bool inInfo = parts[i] == info;
    if ((!inFiles && !inInfo) || !IsTrashFolderName(parts, i - 1)) continue;
    TrashPlace place;
    place.trash = NativeString(path.substr(0, starts[i]));
    if (!HasFolder(place.trash, inFiles ? info : files)) continue;  // no trash without both
    place.filesFolder = place.trash + files + kSep;
    if (inFiles) {
      place.part = TrashPart::kItem;
      return place;
    }
    const NativeStringView name = parts[i + 1];
    if (i + 2 != parts.size() || name.size() <= suffix.size() ||
        name.substr(name.size() - suffix.size()) != suffix)
      return {};  // anything else in "info" is no description
    place.part = TrashPart::kInfo;
    place.itemName = NativeString(name.substr(0, name.size() - suffix.size()));
    return place;
  }
  return {};
}

bool TrashedItemPresent(const TrashPlace& place) {
  std::error_code ec;
  auto dir = platform::NativeFileSystem().OpenDirectory(place.filesFolder, ec);
  if (!dir) return ec != std::errc::no_such_file_or_directory;  // unsure: keep the description
  platform::EntryStat st;
  const std::error_code missing = dir->Stat(place.itemName.c_str(), st);
  return !missing || missing != std::errc::no_such_file_or_directory;
}

}  // namespace kelvo::cleanup
