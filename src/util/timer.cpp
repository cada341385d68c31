// vtuTimer on std::chrono::steady_clock.
#include "vtutils/timer.h"

#include "util/timer_ticks.h"

vtuTimer::vtuTimer(int frequency) : frequency_(frequency) {}

vtuTimer::~vtuTimer() = default;

int vtuTimer::frequency() const { return frequency_; }

void vtuTimer::set_frequency(int frequency) {
  frequency_ = frequency;
  carry_ = 0.0;
}

std::chrono::steady_clock::time_point vtuTimer::start() {
  carry_ = 0.0;
  started_ = true;
  last_ = std::chrono::steady_clock::now();
  return last_;
}

int vtuTimer::update() {
  const std::chrono::steady_clock::time_point now = std::chrono::steady_clock::now();
  const std::chrono::nanoseconds elapsed = now - last_;
  last_ = now;
  return vtutils::timer_ticks(elapsed.count(), frequency_, carry_);
}
