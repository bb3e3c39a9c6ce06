#include "scan/root_overlap.h"

#include <algorithm>
#include <cstddef>
#include <optional>
#include <utility>

namespace kelvo::scan {
namespace {

struct Resolved {
  NativeString path;  // canonical, ends with the separator
  std::uint64_t device = 0;
  std::uint64_t mount = 0;
};

std::optional<Resolved> Resolve(const ScanRoot& root, platform::FileSystem& fs) {
  if (root.kind == RootKind::kAudit) return std::nullopt;
  Resolved r;
  if (fs.ResolveRoot(root.path, r.path)) return std::nullopt;
  std::error_code ec;
  const auto dir = fs.OpenDirectory(r.path, ec);
  if (!dir) return std::nullopt;
  r.device = dir->Device();
  r.mount = dir->MountId();
  return r;
}

bool HasDotFolder(NativeStringView relative) {
  bool atStart = true;
  for (NativeChar c : relative) {
    if (atStart && c == '.') return true;
    atStart = c == platform::kSeparator;
  }
  return false;
}

// Whether the walk of outer, from its folder a, reaches folder b (strictly below or equal).
bool Reaches(const ScanRoot& outer, const Resolved& a, const Resolved& b) {
  if (!b.path.starts_with(a.path) || a.device != b.device ||
      (a.mount != 0 && b.mount != 0 && a.mount != b.mount))
    return false;
  const NativeStringView relative = NativeStringView(b.path).substr(a.path.size());
  if (outer.kind == RootKind::kDisk) return !HasDotFolder(relative);
  const LocationFolder& location = *outer.location;
  if (!relative.empty() && !location.recursive) return false;
  return std::none_of(location.skip.begin(), location.skip.end(),
                      [&](const NativeString& skip) { return b.path.starts_with(skip); });
}

}  // namespace

std::vector<Overlap> FindOverlaps(const ScanRequest& request, platform::FileSystem& fs) {
  const std::size_t n = request.roots.size();
  std::vector<Overlap> overlaps(n, Overlap::kNone);
  std::vector<std::optional<Resolved>> resolved(n);
  for (std::size_t i = 0; i < n; ++i) resolved[i] = Resolve(request.roots[i], fs);
  // A root that is not walked reaches nothing: a second pass takes that into account.
  for (int pass = 0; pass < 2; ++pass) {
    const std::vector<Overlap> before =
        std::exchange(overlaps, std::vector<Overlap>(n, Overlap::kNone));
    for (std::size_t i = 0; i < n; ++i) {
      if (!resolved[i]) continue;
      const ScanRoot& inner = request.roots[i];
      for (std::size_t j = 0; j < n && overlaps[i] == Overlap::kNone; ++j) {
        if (j == i || !resolved[j]) continue;
        const ScanRoot& outer = request.roots[j];
        const bool outerIsLocation = outer.kind == RootKind::kLocation && outer.location;
        if (outer.kind != RootKind::kDisk && !outerIsLocation) continue;
        if (pass > 0 && before[j] == Overlap::kWalkedByOther) continue;
        if (!Reaches(outer, *resolved[j], *resolved[i])) continue;
        const bool equal = resolved[i]->path == resolved[j]->path;
        if (inner.kind == RootKind::kLocation && outer.kind == RootKind::kDisk)
          overlaps[i] = Overlap::kReachedByDisk;
        else if (inner.kind == RootKind::kDisk &&
                 (!equal || (outer.kind == RootKind::kDisk && j < i)))
          overlaps[i] = Overlap::kWalkedByOther;
      }
    }
  }
  return overlaps;
}

}  // namespace kelvo::scan
