// The age a row's file must have: not modified for a number of days before the scan started.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>

namespace kelvo::scan {

inline constexpr std::int64_t kNanosecondsPerDay = 86'400'000'000'000;

struct AgeLimit {
  std::int64_t now = 0;              // nanoseconds since 1970, when the scan started
  std::optional<int> olderThanDays;  // the scan's own choice, for every row

  static AgeLimit StartingNow(std::optional<int> days = std::nullopt) {
    const auto since1970 = std::chrono::system_clock::now().time_since_epoch();
    return {std::chrono::duration_cast<std::chrono::nanoseconds>(since1970).count(), days};
  }

  // Rows of files modified after this are left out; none when no age applies. A location's own
  // default counts only where the scan chose no age.
  std::optional<std::int64_t> ModifiedBefore(int defaultDays = 0) const {
    const int days = olderThanDays.value_or(defaultDays);
    if (!olderThanDays && defaultDays <= 0) return std::nullopt;
    return now - static_cast<std::int64_t>(days) * kNanosecondsPerDay;
  }
};

}  // namespace kelvo::scan
