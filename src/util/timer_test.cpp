// Tests of vtuTimer: the arithmetic of an update on exact intervals, and the timer on the real
// clock.
#include "vtutils/timer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <cstdint>
#include <thread>
#include <vector>

#include "util/timer_ticks.h"

namespace {

constexpr std::int64_t kMillisecond = 1'000'000;  // in nanoseconds

// Each case makes updates of `elapsed` nanoseconds at `frequency`, starting from `carry`.
TEST(TimerTicks, CountsWholeTicksAndCarriesTheRest) {
  struct Case {
    const char* what;
    std::int64_t elapsed;
    int frequency;
    double carry;
    std::vector<int> ticks;
    double carry_after;
  };
  const Case cases[] = {
      {"a carry of exactly 1.0 waits", 250 * kMillisecond, 10, 0.0, {2, 2, 3}, 0.5},
      {"a rest below a microsecond is dropped", 999, 1'000'000, 0.0, {0}, 0.0},
      {"a rest below a microsecond is dropped", 1'999, 1'000'000, 0.0, {1}, 0.0},
      {"no frequency never counts", 250 * kMillisecond, 0, 0.0, {0, 0, 0}, 0.0},
      {"a negative frequency carries negative fractions only", 250 * kMillisecond, -10, 0.0,
       {-2, -2, -2, -2}, -2.0},
      {"counts above the int range", INT64_MAX, 1000, 0.5, {INT_MAX}, 0.5},
      {"counts below the int range", INT64_MAX, -1000, 0.5, {INT_MIN}, 0.5},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    double carry = c.carry;
    std::vector<int> ticks;
    for (std::size_t i = 0; i < c.ticks.size(); ++i) {
      ticks.push_back(vtutils::timer_ticks(c.elapsed, c.frequency, carry));
    }
    EXPECT_EQ(ticks, c.ticks);
    EXPECT_EQ(carry, c.carry_after);
  }
}

TEST(Timer, CountsOnTheRealClock) {
  vtuTimer timer(1000);
  const auto before = std::chrono::steady_clock::now();
  const auto started = timer.start();
  EXPECT_GE(started, before);
  std::this_thread::sleep_for(std::chrono::milliseconds(5));
  // The sleep lasts at least 5 ms, so at least 4 whole ticks show whatever the carry.
  EXPECT_GE(timer.update(), 4);

  timer.set_frequency(0);
  EXPECT_EQ(timer.frequency(), 0);
  std::this_thread::sleep_for(std::chrono::milliseconds(1));
  EXPECT_EQ(timer.update(), 0);
}

}  // namespace
