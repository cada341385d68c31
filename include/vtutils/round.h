// vtuRound: the rounding rules for measured values. Rounding to decimal places for display and
// comparison, rounding to whole numbers under three tie rules, and cleaning values that are zero
// for all practical purposes before they are shown.
#pragma once

#include "vtutils/export.h"

// Every operation is plain IEEE-754 double arithmetic in a fixed order, with no decimal
// correction: a value whose decimal text ends in 5 rounds by the binary value it really holds,
// so round_to(2.345, 2) is 2.35 (2.345 * 100 comes out as 234.50000000000003) while
// round_to(1.005, 2) is 1.0 (100.49999999999999).
class VTUTILS_API vtuRound {
 public:
  vtuRound() = delete;

  // `value` rounded to `decimals` places, ties away from zero. Zero or negative decimals round to
  // a whole number (a negative count does not round to tens). A negative value that rounds to
  // zero comes back as -0.0; fix_negative_zero_value cleans that. More than 308 decimals give NaN.
  static double round_to(double value, int decimals);

  // The whole-number forms. The int forms truncate the whole result to int; a NaN or a result
  // outside the int range gives INT_MIN, the value the x86-64 conversion instruction produces
  // for it, so results agree with the Windows build.

  // Nearest whole number, ties away from zero: 2.5 gives 3, -2.5 gives -3.
  static int round_sym(double value);
  // Nearest whole number, ties towards positive infinity: 2.5 gives 3, -2.5 gives -2.
  static int round_asym(double value);
  static double round_asym_double(double value);
  // The next whole number away from zero: 2.1 gives 3, -2.1 gives -3; whole numbers stay.
  static int round_away_from_zero(double value);
  static double round_away_from_zero_double(double value);

  // +0.0 for a value whose magnitude is below 1e-11 (strictly), else `value` unchanged, NaN
  // included.
  static double fix_negative_zero_value(double value);

 private:
  // Ten to the power `decimals` by repeated multiplication (exact up to 22), 1.0 for zero or
  // fewer decimals, infinity above 308.
  static double get_rounding_factor(int decimals);
};
