// Tests of vtuTimer: the arithmetic of an update on exact intervals, and the timer on the real
// clock.
#include "vtutils/timer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <cstdint>
#include <thread>

#include "util/timer_ticks.h"

namespace {

constexpr std::int64_t kMillisecond = 1'000'000;  // in nanoseconds

TEST(TimerTicks, CarryMustExceedOneToCount) {
  double carry = 0.0;
  EXPECT_EQ(vtutils::timer_ticks(250 * kMillisecond, 10, carry), 2);
  EXPECT_EQ(carry, 0.5);
  EXPECT_EQ(vtutils::timer_ticks(250 * kMillisecond, 10, carry), 2);
  EXPECT_EQ(carry, 1.0);  // exactly 1.0 waits
  EXPECT_EQ(vtutils::timer_ticks(250 * kMillisecond, 10, carry), 3);
  EXPECT_EQ(carry, 0.5);
}

TEST(TimerTicks, SubMicrosecondRestIsDropped) {
  double carry = 0.0;
  EXPECT_EQ(vtutils::timer_ticks(999, 1'000'000, carry), 0);
  EXPECT_EQ(carry, 0.0);
  EXPECT_EQ(vtutils::timer_ticks(1'999, 1'000'000, carry), 1);
  EXPECT_EQ(carry, 0.0);
}

TEST(TimerTicks, ZeroFrequencyNeverCounts) {
  double carry = 0.0;
  for (int i = 0; i < 3; ++i) EXPECT_EQ(vtutils::timer_ticks(250 * kMillisecond, 0, carry), 0);
  EXPECT_EQ(carry, 0.0);
}

TEST(TimerTicks, NegativeFrequencyCarriesOnlyNegativeFractions) {
  double carry = 0.0;
  for (int i = 0; i < 4; ++i) EXPECT_EQ(vtutils::timer_ticks(250 * kMillisecond, -10, carry), -2);
  EXPECT_EQ(carry, -2.0);
}

TEST(TimerTicks, CountsBeyondTheIntRangeAreClamped) {
  double carry = 0.5;
  EXPECT_EQ(vtutils::timer_ticks(INT64_MAX, 1000, carry), INT_MAX);
  EXPECT_EQ(vtutils::timer_ticks(INT64_MAX, -1000, carry), INT_MIN);
  EXPECT_EQ(carry, 0.5);
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
