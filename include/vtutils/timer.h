// vtuTimer: turns elapsed time into whole ticks of a fixed frequency for a caller that polls it.
#pragma once

#include <chrono>

#include "vtutils/export.h"

// Each update reports the whole ticks since the previous start or update. The fraction of a tick
// left over is carried to the next update, so over many polls the counts add up to the ticks
// that really passed. Time comes from the monotonic steady clock, which changes of the wall clock
// do not disturb; it is read in whole microseconds, the rest of each interval is dropped.
//
// One timer belongs to one thread at a time; nothing is locked.
class VTUTILS_API vtuTimer {
 public:
  // `frequency` is in ticks per second. The timer is not started.
  explicit vtuTimer(int frequency);
  ~vtuTimer();

  int frequency() const;
  // Also clears the carry. The next update still measures from the last start or update.
  void set_frequency(int frequency);

  // Starts a new interval and clears the carry. Returns the start time.
  std::chrono::steady_clock::time_point start();
  // Whole ticks since the last start or update. The carried fraction adds one tick once it grows
  // past 1.0 (a carry of exactly 1.0 waits). A frequency of zero or below never counts up.
  // Without a start the interval runs from the clock's zero point (on Linux the system's start);
  // a count beyond the int range is clamped to it.
  int update();

 private:
  int frequency_;
  std::chrono::steady_clock::time_point last_{};
  double carry_ = 0.0;
  bool started_ = false;  // informational; no operation reads it
};
