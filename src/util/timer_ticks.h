// The arithmetic of one vtuTimer update, apart from the clock so that it can be tested with
// exact intervals.
#pragma once

#include <algorithm>
#include <climits>
#include <cstdint>

namespace vtutils {

// The whole ticks at `frequency` per second in `elapsed_ns`, counting the interval in whole
// microseconds (truncated). The fraction of a tick is added to `carry`; once the carry exceeds
// 1.0 (strictly) one tick moves from it into the result.
inline int timer_ticks(std::int64_t elapsed_ns, int frequency, double& carry) {
  const std::int64_t microseconds = elapsed_ns / 1000;
  // Clamped so that the conversion to int below is defined. A clamped count is whole, so it
  // leaves the carry, which never exceeds 1.0 between updates, unchanged.
  const double ticks = std::clamp(static_cast<double>(microseconds) * (frequency / 1000000.0),
                                  static_cast<double>(INT_MIN), static_cast<double>(INT_MAX));
  const int whole = static_cast<int>(ticks);
  carry += ticks - whole;
  if (carry > 1.0) {
    carry -= 1.0;
    return whole + 1;
  }
  return whole;
}

}  // namespace vtutils
