// Judging a measured value against its tolerance band: the error value (by how much the value
// lies outside the band) and the overrun state that the applications share.
#pragma once

#include "vtutils/export.h"

// The overrun state of a measured value. The helpers below produce only these four members;
// the applications may give other values (such as 0) meanings of their own.
enum VTX_OverrunState : int {
  VTX_OVERRUN_INVALID_TOLERANCE = -1,  // the lower limit is above the upper; nothing judged
  VTX_OVERRUN_IN_TOLERANCE = 1,        // the error is zero within 1e-11
  VTX_OVERRUN_ABOVE_UPPER = 2,         // the value lies above the upper limit
  VTX_OVERRUN_BELOW_LOWER = 3,         // the value lies below the lower limit
};

// The error of a value against [lower, upper] is 0.0 inside the band (a value on a limit is
// inside, and so is NaN), value - lower below it and value - upper above it, and 0.0 when
// lower > upper. A negative count of decimals means that nothing is rounded; otherwise errors
// are rounded with vtuRound::round_to, ties away from zero.
//
// Whether the overrun state judges the rounded or the exact error is the concrete helper's
// choice: a value that exceeds a limit by less than half a unit of the last shown decimal is in
// tolerance for vtuRoundedErrorValueHelper and outside it for vtuPreciseErrorValueHelper.
class VTUTILS_API vtuErrorValueHelper {
 public:
  vtuErrorValueHelper() = default;
  virtual ~vtuErrorValueHelper();

  // The error of `value` against [lower_limit, upper_limit], rounded to `decimals` places
  // unless `decimals` is negative. Rounds whenever `decimals` allows, whichever helper is used.
  static double calculate_error_value(double value, double lower_limit, double upper_limit,
                                      int decimals);
  // The same for the deviation actual - nominal against [lower_tolerance, upper_tolerance].
  static double calculate_error_value(double nominal, double actual, double lower_tolerance,
                                      double upper_tolerance, int decimals);

  // VTX_OVERRUN_INVALID_TOLERANCE when lower_limit > upper_limit. Otherwise the error (rounded
  // unless the helper is precise or `decimals` is negative) is in tolerance when its magnitude
  // is at most 1e-11, above the upper limit when positive, below the lower when negative.
  VTX_OverrunState calculate_error_state(double value, double lower_limit, double upper_limit,
                                         int decimals) const;
  // The same for the deviation actual - nominal against [lower_tolerance, upper_tolerance].
  VTX_OverrunState calculate_error_state(double nominal, double actual, double lower_tolerance,
                                         double upper_tolerance, int decimals) const;

 protected:
  // True to judge the exact error, false to judge the error as rounded for display.
  virtual bool use_precise_error() const = 0;

 private:
  static double calculate_precise_error_value(double value, double lower_limit,
                                              double upper_limit);
};

// Judges the exact error.
class VTUTILS_API vtuPreciseErrorValueHelper : public vtuErrorValueHelper {
 public:
  vtuPreciseErrorValueHelper() = default;
  ~vtuPreciseErrorValueHelper() override;

 protected:
  bool use_precise_error() const override;
};

// Judges the error rounded to the decimals shown, so that what shows as in tolerance is.
class VTUTILS_API vtuRoundedErrorValueHelper : public vtuErrorValueHelper {
 public:
  vtuRoundedErrorValueHelper() = default;
  ~vtuRoundedErrorValueHelper() override;

 protected:
  bool use_precise_error() const override;
};
