// vtuRound: the rounding rules, each a short sequence of double operations whose order is part
// of the result.
#include "vtutils/round.h"

#include <climits>
#include <cmath>

#include "numeric/zero_threshold.h"

namespace {

constexpr double kHalf = 0.5;
constexpr double kDecimalBase = 10.0;

// Converting a double outside the int range to int is undefined in C++, so the range is checked
// here and everything outside it gets the one answer the hardware gives.
int whole_to_int(double whole) {
  if (whole >= static_cast<double>(INT_MIN) && whole <= static_cast<double>(INT_MAX)) {
    return static_cast<int>(whole);
  }
  return INT_MIN;
}

}  // namespace

double vtuRound::round_to(double value, int decimals) {
  const double factor = get_rounding_factor(decimals);
  // A negative zero counts as positive; NaN takes the negative branch and stays NaN.
  const double sign = value >= 0.0 ? 1.0 : -1.0;
  return std::floor(sign * value * factor + kHalf) / factor * sign;
}

int vtuRound::round_sym(double value) {
  return whole_to_int(value > 0.0 ? std::floor(value + kHalf) : std::ceil(value - kHalf));
}

int vtuRound::round_asym(double value) { return whole_to_int(round_asym_double(value)); }

double vtuRound::round_asym_double(double value) { return std::floor(value + kHalf); }

int vtuRound::round_away_from_zero(double value) {
  return whole_to_int(round_away_from_zero_double(value));
}

double vtuRound::round_away_from_zero_double(double value) {
  return value > 0.0 ? std::ceil(value) : std::floor(value);
}

double vtuRound::fix_negative_zero_value(double value) {
  return vtutils::kZeroThreshold > std::fabs(value) ? 0.0 : value;
}

double vtuRound::get_rounding_factor(int decimals) {
  double factor = 1.0;
  // Once the factor is infinite further steps change nothing; stopping there keeps a huge count
  // of decimals from spinning through billions of multiplications.
  for (int i = 0; i < decimals && std::isfinite(factor); ++i) factor *= kDecimalBase;
  return factor;
}
