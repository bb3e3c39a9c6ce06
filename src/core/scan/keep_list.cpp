#include "scan/keep_list.h"
#include "platform/native_path.h"

namespace kelvo::scan {
namespace {

constexpr bool kWindowsPaths = platform::kSeparator == NativeChar('\\');
constexpr text::GlobSyntax kSyntax{.ignoreCase = kWindowsPaths, .backslashEscapes = !kWindowsPaths};

using platform::IsSeparator;

NativeChar Fold(NativeChar c) {
  if (kWindowsPaths && c >= NativeChar('A') && c <= NativeChar('Z'))
    return static_cast<NativeChar>(c - 'A' + 'a');
  return c;
}

bool StartsWith(NativeStringView path, NativeStringView prefix) {
  if (path.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i)
    if (Fold(path[i]) != Fold(prefix[i]) && !(IsSeparator(path[i]) && IsSeparator(prefix[i])))
      return false;
  return true;
}

bool StartsAtTop(NativeStringView pattern) {
  if (!pattern.empty() && IsSeparator(pattern[0])) return true;
  return kWindowsPaths && pattern.size() >= 2 && pattern[1] == NativeChar(':');
}

}  // namespace

KeepList::KeepList(const KeepList& other)
    : folders_(other.folders_),
      folderIds_(other.folderIds_),
      patterns_(other.patterns_),
      heldBack_(other.HeldBack()) {}

KeepList& KeepList::operator=(const KeepList& other) {
  folders_ = other.folders_;
  folderIds_ = other.folderIds_;
  patterns_ = other.patterns_;
  heldBack_.store(other.HeldBack(), std::memory_order_relaxed);
  return *this;
}

void KeepList::AddFolder(NativeStringView folder) {
  NativeString f(folder);
  while (f.size() > 1 && IsSeparator(f.back())) f.pop_back();
  if (f.empty()) return;
  if (!IsSeparator(f.back())) f.push_back(platform::kSeparator);
  folders_.push_back(std::move(f));
}

void KeepList::AddFolderIdentity(std::uint64_t device, std::uint64_t inode) {
  folderIds_.emplace_back(device, inode);
}

bool KeepList::KeepsFolder(std::uint64_t device, std::uint64_t inode) const {
  for (const auto& [d, i] : folderIds_)
    if (d == device && i == inode) return true;
  return false;
}

void KeepList::Add(const KeepList& other) {
  folders_.insert(folders_.end(), other.folders_.begin(), other.folders_.end());
  folderIds_.insert(folderIds_.end(), other.folderIds_.begin(), other.folderIds_.end());
  patterns_.insert(patterns_.end(), other.patterns_.begin(), other.patterns_.end());
}

void KeepList::AddPattern(NativeStringView pattern) {
  if (pattern.empty()) return;
  NativeString anchored;
  if (!StartsAtTop(pattern)) anchored = AsciiToNative("**/");
  anchored += pattern;
  while (anchored.size() > 1 && IsSeparator(anchored.back())) anchored.pop_back();
  patterns_.emplace_back(anchored, kSyntax);
}

bool KeepList::Keeps(NativeStringView path) const {
  while (path.size() > 1 && IsSeparator(path.back())) path.remove_suffix(1);
  for (const NativeString& folder : folders_) {
    // The folder itself (written without its separator) or anything below it.
    if (StartsWith(path, folder) || (path.size() + 1 == folder.size() && StartsWith(folder, path)))
      return true;
  }
  for (const auto& pattern : patterns_)
    if (pattern.Matches(path)) return true;
  return false;
}

bool KeepList::Covers(NativeStringView path) const {
  if (empty()) return false;
  while (path.size() > 1 && IsSeparator(path.back())) path.remove_suffix(1);
  if (Keeps(path)) return true;
  if (patterns_.empty()) return false;  // the folders' prefix test already covers the ancestors
  for (std::size_t cut = path.size(); cut-- > 1;)
    if (IsSeparator(path[cut]) && Keeps(path.substr(0, cut))) return true;
  return false;
}

}  // namespace kelvo::scan
