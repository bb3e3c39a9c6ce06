// Ordering the list's rows by a column on keys taken from the rows once, so that the sort itself
// touches no row and may run on another thread while the list goes on changing; a long sort can
// be called off between two short steps.
#pragma once

#include <atomic>
#include <cstdint>
#include <deque>
#include <vector>

#include "result_row.h"

namespace kelvo::ui {

struct RowSortKey {
  std::uint64_t head = 0;    // compared first: a number, or a text's first units
  std::uint64_t second = 0;  // compared next (a size behind whether there is one)
  NativeStringView text;     // compared last; points into the row's path
};

// What a column sorts on: names and paths by their bytes, types by their label's bytes, sizes by
// number with rows without a size first. The texts stay valid while the paths' blocks stay.
std::vector<RowSortKey> MakeSortKeys(const std::deque<ResultRow>& rows, const PathArena& paths,
                                     std::size_t count, const std::vector<NativeString>& labels,
                                     int column);

// Sorts positions (indexes into keys) stably, ascending or descending. Returns false, leaving
// positions in some order, when cancel was set before the end.
bool SortByKeys(const std::vector<RowSortKey>& keys, std::vector<std::uint32_t>& positions,
                bool descending, const std::atomic<bool>& cancel);

}  // namespace kelvo::ui
