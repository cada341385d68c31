// The error value and overrun state of a measured value, rounded through vtuRound.
#include "vtutils/error_value.h"

#include <cmath>

#include "numeric/zero_threshold.h"
#include "vtutils/round.h"

vtuErrorValueHelper::~vtuErrorValueHelper() = default;

double vtuErrorValueHelper::calculate_error_value(double value, double lower_limit,
                                                  double upper_limit, int decimals) {
  const double error = calculate_precise_error_value(value, lower_limit, upper_limit);
  return decimals >= 0 ? vtuRound::round_to(error, decimals) : error;
}

double vtuErrorValueHelper::calculate_error_value(double nominal, double actual,
                                                  double lower_tolerance, double upper_tolerance,
                                                  int decimals) {
  return calculate_error_value(actual - nominal, lower_tolerance, upper_tolerance, decimals);
}

VTX_OverrunState vtuErrorValueHelper::calculate_error_state(double value, double lower_limit,
                                                            double upper_limit,
                                                            int decimals) const {
  if (lower_limit > upper_limit) return VTX_OVERRUN_INVALID_TOLERANCE;
  const double error = use_precise_error()
                           ? calculate_precise_error_value(value, lower_limit, upper_limit)
                           : calculate_error_value(value, lower_limit, upper_limit, decimals);
  // Inclusive, unlike vtuRound::fix_negative_zero_value: an error of exactly 1e-11 is zero here.
  if (std::fabs(error) <= vtutils::kZeroThreshold) return VTX_OVERRUN_IN_TOLERANCE;
  return error < 0.0 ? VTX_OVERRUN_BELOW_LOWER : VTX_OVERRUN_ABOVE_UPPER;
}

VTX_OverrunState vtuErrorValueHelper::calculate_error_state(double nominal, double actual,
                                                            double lower_tolerance,
                                                            double upper_tolerance,
                                                            int decimals) const {
  return calculate_error_state(actual - nominal, lower_tolerance, upper_tolerance, decimals);
}

double vtuErrorValueHelper::calculate_precise_error_value(double value, double lower_limit,
                                                          double upper_limit) {
  if (lower_limit > upper_limit) return 0.0;
  if (lower_limit > value) return value - lower_limit;
  if (value > upper_limit) return value - upper_limit;
  return 0.0;
}

vtuPreciseErrorValueHelper::~vtuPreciseErrorValueHelper() = default;

bool vtuPreciseErrorValueHelper::use_precise_error() const { return true; }

vtuRoundedErrorValueHelper::~vtuRoundedErrorValueHelper() = default;

bool vtuRoundedErrorValueHelper::use_precise_error() const { return false; }
