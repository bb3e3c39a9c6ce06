#include <algorithm>

#include "platform/package_files.h"

namespace kelvo::platform {

void PackageFileIndex::Add(NativeStringView path) {
  if (path.empty()) return;
  if (!building_) building_ = std::make_shared<Building>();
  building_->starts.push_back(static_cast<std::uint32_t>(building_->text.size()));
  building_->text.append(path);
  building_->text.push_back(NativeChar{});
}

NativeStringView PackageFileIndex::At(std::uint32_t start) const {
  if (start >= textSize_) return {};
  return NativeStringView(text_ + start);
}

void PackageFileIndex::Finish() {
  if (!building_) building_ = std::make_shared<Building>();
  NativeString& text = building_->text;
  std::vector<std::uint32_t>& starts = building_->starts;
  auto at = [&text](std::uint32_t s) { return NativeStringView(text.c_str() + s); };
  std::sort(starts.begin(), starts.end(),
            [&](std::uint32_t a, std::uint32_t b) { return at(a) < at(b); });
  starts.erase(std::unique(starts.begin(), starts.end(),
                           [&](std::uint32_t a, std::uint32_t b) { return at(a) == at(b); }),
               starts.end());
  starts.shrink_to_fit();
  text.shrink_to_fit();
  starts_ = starts.data();
  count_ = starts.size();
  text_ = text.data();
  textSize_ = text.size();
}

PackageFileIndex PackageFileIndex::Over(std::shared_ptr<const void> owner,
                                        std::span<const std::uint32_t> starts,
                                        NativeStringView text) {
  PackageFileIndex index;
  index.owner_ = std::move(owner);
  index.starts_ = starts.data();
  index.count_ = starts.size();
  index.text_ = text.data();
  index.textSize_ = text.size();
  return index;
}

bool PackageFileIndex::Contains(NativeStringView path) const {
  if (path.empty()) return false;  // what an offset past the text would read as
  const std::uint32_t* end = starts_ + count_;
  const std::uint32_t* it = std::lower_bound(
      starts_, end, path, [this](std::uint32_t s, NativeStringView p) { return At(s) < p; });
  return it != end && At(*it) == path;
}

std::size_t PackageFileIndex::MemoryBytes() const {
  return textSize_ * sizeof(NativeChar) + count_ * sizeof(std::uint32_t);
}

}  // namespace kelvo::platform
