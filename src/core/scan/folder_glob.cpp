#include "scan/folder_glob.h"
#include "platform/native_path.h"

#include <algorithm>

namespace kelvo::scan {
namespace {

std::vector<std::string_view> Split(std::string_view relative) {
  std::vector<std::string_view> parts;
  while (!relative.empty()) {
    const std::size_t slash = relative.find('/');
    if (slash != 0) parts.push_back(relative.substr(0, slash));
    if (slash == std::string_view::npos) break;
    relative.remove_prefix(slash + 1);
  }
  return parts;
}

NativeString WithSeparator(NativeString path) {
  return platform::WithTrailingSeparator(std::move(path));
}

}  // namespace

std::vector<GlobMatch> FolderGlob::Expand(const NativeString& base, std::string_view relative) {
  std::vector<GlobMatch> out;
  NativeString canonical;
  if (fs_.ResolveRoot(WithSeparator(base), canonical)) return out;
  std::error_code ec;
  std::unique_ptr<platform::Directory> dir = fs_.OpenDirectory(canonical, ec);
  if (!dir) return out;
  GlobMatch start{canonical, {}};
  Descend(*dir, Split(relative), 0, start, out);
  return out;
}

void FolderGlob::Descend(platform::Directory& dir, const std::vector<std::string_view>& parts,
                         std::size_t i, const GlobMatch& at, std::vector<GlobMatch>& out) {
  if (i == parts.size()) {
    out.push_back(at);
    return;
  }
  std::vector<NativeString> names;
  if (parts[i] == "*") {
    platform::Listing listing;
    if (dir.List(listing)) return;
    for (const auto& e : listing.entries()) {
      platform::EntryType type = e.type;
      platform::EntryStat st;
      if (type == platform::EntryType::kUnknown && !dir.Stat(listing.CName(e), st)) type = st.type;
      if (type == platform::EntryType::kDirectory) names.emplace_back(listing.Name(e));
    }
    std::sort(names.begin(), names.end());
  } else {
    names.push_back(Utf8ToNative(parts[i]));
  }
  for (const NativeString& name : names) {
    std::error_code ec;
    // Never through a link: OpenChild refuses one.
    std::unique_ptr<platform::Directory> child = dir.OpenChild(name.c_str(), ec);
    if (!child) continue;
    GlobMatch next = at;
    next.path += name;
    next.path.push_back(platform::kSeparator);
    if (parts[i] == "*") next.stars.push_back(name);
    Descend(*child, parts, i + 1, next, out);
  }
}

}  // namespace kelvo::scan
