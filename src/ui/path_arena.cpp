#include "path_arena.h"

#include <algorithm>
#include <limits>
#include <stdexcept>

namespace kelvo::ui {

PathArena::Ref PathArena::Store(NativeStringView text) {
  if (text.empty()) return 0;
  if (lastLength_ == text.size() && View(last_, static_cast<std::uint32_t>(text.size())) == text)
    return last_;
  if (blocks_.empty() || used_ + text.size() > blocks_.back().capacity) {
    if (blocks_.size() > (std::numeric_limits<Ref>::max() >> kOffsetBits))
      throw std::length_error("too many paths for the list");
    // A path longer than a block (only a very deep tree has one) gets a block of its own size.
    const std::size_t capacity = std::max(kBlockUnits, text.size());
    blocks_.push_back({std::make_unique_for_overwrite<NativeChar[]>(capacity), capacity});
    used_ = 0;
  }
  Block& block = blocks_.back();
  std::copy(text.begin(), text.end(), block.units.get() + used_);
  const Ref ref = static_cast<Ref>(((blocks_.size() - 1) << kOffsetBits) | used_);
  used_ += text.size();
  // A block of its own size is full: the next path starts a new block.
  if (block.capacity > kBlockUnits) used_ = block.capacity;
  last_ = ref;
  lastLength_ = text.size();
  return ref;
}

void PathArena::Clear() {
  PathArena empty;
  Swap(empty);
}

void PathArena::Swap(PathArena& other) noexcept {
  std::swap(blocks_, other.blocks_);
  std::swap(used_, other.used_);
  std::swap(last_, other.last_);
  std::swap(lastLength_, other.lastLength_);
}

std::size_t PathArena::Bytes() const {
  std::size_t units = 0;
  for (const Block& b : blocks_) units += b.capacity;
  return units * sizeof(NativeChar);
}

}  // namespace kelvo::ui
