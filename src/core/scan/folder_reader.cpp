#include "scan/folder_reader.h"

#include <algorithm>

#include "scan/keep_list.h"

namespace kelvo::scan {

using platform::EntryType;

namespace {
bool IsDotName(NativeStringView name) {
  return !name.empty() && name[0] == NativeChar('.');
}
}  // namespace

void FolderContents::Clear() {
  dir.reset();
  listing.Clear();
  facts.clear();
  children.clear();
  error.clear();
  elsewhere = false;
}

void OpenSubFolder(platform::Directory& parent, const SubFolder& child, const RootMount& root,
                   FolderContents& out) {
  std::unique_ptr<platform::Directory> dir = parent.OpenChild(child.name.c_str(), out.error);
  if (!dir) return;
  if (!root.Holds(*dir)) {
    out.elsewhere = true;
  } else if (child.identityKnown &&
             (dir->Device() != child.device || dir->Inode() != child.inode)) {
    out.error = std::make_error_code(std::errc::no_such_file_or_directory);
  } else {
    out.dir = std::move(dir);
  }
}

std::error_code ReadFolder(FolderContents& out, bool dotFolders) {
  platform::Directory& dir = *out.dir;
  if (std::error_code ec = dir.List(out.listing)) return ec;
  const auto& entries = out.listing.entries();
  out.facts.resize(entries.size());
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const auto& e = entries[i];
    EntryFacts& facts = out.facts[i];
    facts = EntryFacts{};
    facts.type = e.type;
    facts.attributes = e.attributes;
    facts.attributesComplete = e.attributesComplete;
    if (e.type == EntryType::kUnknown) {
      if (dir.Stat(out.listing.CName(e), facts.stat)) {
        facts.attributes = platform::attr::kQueryFailed;
      } else {
        facts.statKnown = true;
        facts.type = facts.stat.type;
        facts.attributes = facts.stat.attributes;
      }
      facts.attributesComplete = true;
    }
    const NativeStringView name = out.listing.Name(e);
    if (facts.type != EntryType::kDirectory || (IsDotName(name) && !dotFolders)) continue;
    SubFolder& child = out.children.emplace_back();
    child.name.assign(name);
    if (facts.statKnown) {
      child.device = facts.stat.device;
      child.inode = facts.stat.inode;
      child.identityKnown = true;
    }
  }
  return {};
}

void DropKeptFolders(const KeepList& keep, NativeStringView folderPath,
                     std::vector<SubFolder>& children) {
  if (keep.empty()) return;
  NativeString path(folderPath);
  std::erase_if(children, [&](const SubFolder& child) {
    path.resize(folderPath.size());
    path += child.name;
    if (!keep.Keeps(path)) return false;
    keep.CountHeldBack();
    return true;
  });
}

void ExamineLikelyHits(const RuleSwitches& rules, const MarkerCounts& markers,
                       FolderContents& contents) {
  bool everyEntry = false;  // below an enabled marker folder every examined entry is a hit
  for (std::size_t m = 0; m < kMarkerCount; ++m)
    if (markers[m] && rules[static_cast<std::size_t>(kMarkerRules[m])]) everyEntry = true;
  const bool zeroRule = rules[kZeroByteRule];
  const auto& entries = contents.listing.entries();
  for (std::size_t i = 0; i < entries.size(); ++i) {
    EntryFacts& facts = contents.facts[i];
    if (facts.statKnown) continue;
    if ((facts.attributes & ~platform::attr::kDirectory) == 0 && facts.attributesComplete)
      continue;  // a plain folder is never examined
    const NativeStringView name = contents.listing.Name(entries[i]);
    const bool wanted =
        everyEntry ||
        (zeroRule && (facts.type == EntryType::kFile || facts.type == EntryType::kUnknown)) ||
        (MatchingNameRules<NativeChar>(name) & rules).any();
    if (wanted && !contents.dir->Stat(contents.listing.CName(entries[i]), facts.stat))
      facts.statKnown = true;
  }
}

}  // namespace kelvo::scan
