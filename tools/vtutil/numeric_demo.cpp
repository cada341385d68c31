// The numeric part of vtutil demo: rounding, units, tolerances, the timer and the guard.
#include "numeric_demo.h"

#include <chrono>
#include <cstdio>
#include <thread>

#include "overrun_state_name.h"
#include "vtutils/error_value.h"
#include "vtutils/reentrance.h"
#include "vtutils/round.h"
#include "vtutils/timer.h"
#include "vtutils/units.h"

namespace {

void show_rounding() {
  std::printf("Rounding (plain binary doubles, ties away from zero)\n");
  for (const double value : {2.345, 1.005, -0.001}) {
    std::printf("  round_to(%g, 2) = %.17g\n", value, vtuRound::round_to(value, 2));
  }
  std::printf("  round_sym(-2.5) = %d, round_asym(-2.5) = %d, round_away_from_zero(-2.1) = %d\n",
              vtuRound::round_sym(-2.5), vtuRound::round_asym(-2.5),
              vtuRound::round_away_from_zero(-2.1));
  std::printf("  fix_negative_zero_value(-5e-12) = %g\n",
              vtuRound::fix_negative_zero_value(-5e-12));
}

void show_units() {
  std::printf("Units\n");
  for (const VTX_Units units : {VTX_UNITS_UNDEFINED, VTX_UNITS_INCHES, VTX_UNITS_MM}) {
    std::printf("  %2d -> \"%s\" / \"%s\"\n", static_cast<int>(units),
                vtu_units_to_string(units), vtu_units_to_short_string(units));
  }
  for (const char* name : {"in", "inches", "mm", "MM"}) {
    std::printf("  \"%s\" -> %d\n", name, static_cast<int>(vtu_units_from_string(name)));
  }
}

void show_tolerance() {
  constexpr double kValue = 10.004;
  constexpr double kLower = 9.99;
  constexpr double kUpper = 10.0;
  constexpr int kDecimals = 2;
  std::printf("Tolerance (%g in [%g, %g], %d decimals, error value %g)\n", kValue, kLower,
              kUpper, kDecimals,
              vtuErrorValueHelper::calculate_error_value(kValue, kLower, kUpper, kDecimals));
  const vtuRoundedErrorValueHelper rounded;
  const vtuPreciseErrorValueHelper precise;
  const VTX_OverrunState by_rounded =
      rounded.calculate_error_state(kValue, kLower, kUpper, kDecimals);
  const VTX_OverrunState by_precise =
      precise.calculate_error_state(kValue, kLower, kUpper, kDecimals);
  std::printf("  rounded: %d %s\n", static_cast<int>(by_rounded), overrun_state_name(by_rounded));
  std::printf("  precise: %d %s\n", static_cast<int>(by_precise), overrun_state_name(by_precise));
}

void show_timer_and_guard() {
  vtuReentranceToken token;
  vtuTimer timer(1000);
  timer.start();
  {
    const vtuReentranceGuard guard(token);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    std::printf("Timer and guard: %d ticks at 1000 Hz in a 20 ms guarded block (token %s)",
                timer.update(), token.is_in() ? "in" : "out");
  }
  std::printf(", token %s after it\n", token.is_in() ? "in" : "out");
}

}  // namespace

void print_numeric_demo() {
  const char* separator = "";
  for (void (*section)() : {show_rounding, show_units, show_tolerance, show_timer_and_guard}) {
    std::printf("%s", separator);
    section();
    separator = "\n";
  }
}
