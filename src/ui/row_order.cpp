#include "row_order.h"

#include <algorithm>
#include <numeric>
#include <type_traits>

namespace kelvo::ui {

namespace {

constexpr int kNameColumn = 0;
constexpr int kPathColumn = 1;
constexpr int kTypeColumn = 2;

// The text's first units packed into a number that orders like the text itself, zero-padded: two
// texts whose heads differ compare as their heads do.
std::uint64_t Head(NativeStringView text) {
  using Unit = std::make_unsigned_t<NativeChar>;
  constexpr std::size_t kUnits = sizeof(std::uint64_t) / sizeof(Unit);
  std::uint64_t head = 0;
  for (std::size_t i = 0; i < kUnits; ++i) {
    head <<= 8 * sizeof(Unit);
    if (i < text.size()) head |= static_cast<Unit>(text[i]);
  }
  return head;
}

bool Less(const RowSortKey& a, const RowSortKey& b) {
  if (a.head != b.head) return a.head < b.head;
  if (a.second != b.second) return a.second < b.second;
  return a.text < b.text;
}

// Small runs sorted apart and merged pairwise, looking at cancel between steps.
constexpr std::size_t kRun = 4096;

}  // namespace

std::vector<RowSortKey> MakeSortKeys(const std::deque<ResultRow>& rows, const PathArena& paths,
                                     std::size_t count, const std::vector<NativeString>& labels,
                                     int column) {
  std::vector<std::uint32_t> labelRank(labels.size());
  if (column == kTypeColumn) {
    std::vector<std::uint32_t> byText(labels.size());
    std::iota(byText.begin(), byText.end(), 0u);
    std::stable_sort(byText.begin(), byText.end(),
                     [&](std::uint32_t a, std::uint32_t b) { return labels[a] < labels[b]; });
    for (std::size_t r = 0; r < byText.size(); ++r)
      labelRank[byText[r]] = r > 0 && labels[byText[r]] == labels[byText[r - 1]]
                                 ? labelRank[byText[r - 1]]
                                 : static_cast<std::uint32_t>(r);
  }
  std::vector<RowSortKey> keys(count);
  auto row = rows.begin();
  for (std::size_t p = 0; p < count; ++p, ++row) {
    RowSortKey& key = keys[p];
    switch (column) {
      case kNameColumn:
        key.text = paths.View(row->path, row->pathLength).substr(row->pathLength - row->nameLength);
        key.head = Head(key.text);
        break;
      case kPathColumn:
        key.text = paths.View(row->path, row->pathLength);
        key.head = Head(key.text);
        break;
      case kTypeColumn:
        key.head = row->labelIndex < labelRank.size() ? labelRank[row->labelIndex] : 0;
        break;
      default:
        key.head = row->Has(ResultRow::kHasSize) ? 1 : 0;
        key.second = row->size;
        break;
    }
  }
  return keys;
}

bool SortByKeys(const std::vector<RowSortKey>& keys, std::vector<std::uint32_t>& positions,
                bool descending, const std::atomic<bool>& cancel) {
  auto less = [&](std::uint32_t a, std::uint32_t b) {
    return descending ? Less(keys[b], keys[a]) : Less(keys[a], keys[b]);
  };
  const std::size_t n = positions.size();
  for (std::size_t lo = 0; lo < n; lo += kRun) {
    if (cancel.load(std::memory_order_relaxed)) return false;
    std::stable_sort(positions.begin() + static_cast<std::ptrdiff_t>(lo),
                     positions.begin() + static_cast<std::ptrdiff_t>(std::min(n, lo + kRun)), less);
  }
  std::vector<std::uint32_t> merged(n);
  for (std::size_t width = kRun; width < n; width *= 2) {
    for (std::size_t lo = 0; lo < n; lo += 2 * width) {
      const std::size_t mid = std::min(n, lo + width), hi = std::min(n, lo + 2 * width);
      std::size_t i = lo, j = mid, k = lo;
      while (i < mid && j < hi) {
        if (k % kRun == 0 && cancel.load(std::memory_order_relaxed)) return false;
        // On a tie the earlier run goes first: the sort stays stable.
        merged[k++] = less(positions[j], positions[i]) ? positions[j++] : positions[i++];
      }
      while (i < mid) merged[k++] = positions[i++];
      while (j < hi) merged[k++] = positions[j++];
    }
    positions.swap(merged);
  }
  return true;
}

}  // namespace kelvo::ui
