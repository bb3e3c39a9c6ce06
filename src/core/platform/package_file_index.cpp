#include <algorithm>

#include "platform/package_files.h"

namespace kelvo::platform {

void PackageFileIndex::Add(NativeStringView path) {
  if (path.empty()) return;
  starts_.push_back(static_cast<std::uint32_t>(text_.size()));
  text_.append(path);
  text_.push_back(NativeChar{});
}

NativeStringView PackageFileIndex::At(std::uint32_t start) const {
  return NativeStringView(text_.c_str() + start);
}

void PackageFileIndex::Finish() {
  auto less = [this](std::uint32_t a, std::uint32_t b) { return At(a) < At(b); };
  std::sort(starts_.begin(), starts_.end(), less);
  auto same = [this](std::uint32_t a, std::uint32_t b) { return At(a) == At(b); };
  starts_.erase(std::unique(starts_.begin(), starts_.end(), same), starts_.end());
  starts_.shrink_to_fit();
  text_.shrink_to_fit();
}

bool PackageFileIndex::Contains(NativeStringView path) const {
  auto it = std::lower_bound(starts_.begin(), starts_.end(), path,
                             [this](std::uint32_t s, NativeStringView p) { return At(s) < p; });
  return it != starts_.end() && At(*it) == path;
}

std::size_t PackageFileIndex::MemoryBytes() const {
  return text_.capacity() * sizeof(NativeChar) + starts_.capacity() * sizeof(std::uint32_t);
}

}  // namespace kelvo::platform
