// The list's paths, packed one after another in large blocks that never move, so that a row keeps
// a 32-bit reference instead of a string of its own and a path listed by several rules in a row is
// stored once.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/native_string.h"

namespace kelvo::ui {

class PathArena {
 public:
  // Where a path is: its block and its offset there, packed.
  using Ref = std::uint32_t;

  // Stores the text and returns where; a text equal to the one stored last is not stored again.
  Ref Store(NativeStringView text);
  NativeStringView View(Ref ref, std::uint32_t length) const {
    if (length == 0) return {};
    return {blocks_[ref >> kOffsetBits].units.get() + (ref & kOffsetMask), length};
  }
  void Clear();
  void Swap(PathArena& other) noexcept;
  // The units held by the blocks, in bytes, used or not.
  std::size_t Bytes() const;

 private:
  static constexpr unsigned kOffsetBits = 20;
  static constexpr std::size_t kBlockUnits = std::size_t(1) << kOffsetBits;
  static constexpr Ref kOffsetMask = (Ref(1) << kOffsetBits) - 1;

  struct Block {
    std::unique_ptr<NativeChar[]> units;
    std::size_t capacity = 0;
  };
  std::vector<Block> blocks_;
  std::size_t used_ = 0;  // in the last block
  Ref last_ = 0;
  std::size_t lastLength_ = SIZE_MAX;
};

}  // namespace kelvo::ui
