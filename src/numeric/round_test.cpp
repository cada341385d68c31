// Tests of vtuRound: ties decided by the binary value, negative zeros, and the integer forms.
#include "vtutils/round.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

TEST(Round, TiesAreDecidedByTheBinaryValue) {
  EXPECT_EQ(vtuRound::round_to(2.345, 2), 2.35);   // 234.50000000000003
  EXPECT_EQ(vtuRound::round_to(1.005, 2), 1.0);    // 100.49999999999999
  EXPECT_EQ(vtuRound::round_to(0.285, 2), 0.28);   // 28.499999999999996
  EXPECT_EQ(vtuRound::round_to(-1.005, 2), -1.0);
  EXPECT_EQ(vtuRound::round_to(2.5, 0), 3.0);
  EXPECT_EQ(vtuRound::round_to(-2.5, 0), -3.0);
}

TEST(Round, NegativeDecimalsRoundToWholeNumbers) {
  EXPECT_EQ(vtuRound::round_to(123.456, -3), 123.0);
  EXPECT_EQ(vtuRound::round_to(123.456, -3), vtuRound::round_to(123.456, 0));
}

TEST(Round, NegativeZeroComesBackOnlyFromNegativeValues) {
  const double from_negative_zero = vtuRound::round_to(-0.0, 2);
  EXPECT_EQ(from_negative_zero, 0.0);
  EXPECT_FALSE(std::signbit(from_negative_zero));
  const double small_negative = vtuRound::round_to(-0.001, 2);
  EXPECT_EQ(small_negative, 0.0);
  EXPECT_TRUE(std::signbit(small_negative));
}

TEST(Round, HugeDecimalCountsEndQuicklyInNaN) {
  EXPECT_TRUE(std::isnan(vtuRound::round_to(1.5, 309)));
  EXPECT_TRUE(std::isnan(vtuRound::round_to(1.5, INT_MAX)));
}

TEST(Round, WholeNumberTieRules) {
  EXPECT_EQ(vtuRound::round_sym(2.5), 3);
  EXPECT_EQ(vtuRound::round_sym(-2.5), -3);
  EXPECT_EQ(vtuRound::round_sym(0.0), 0);
  EXPECT_EQ(vtuRound::round_asym(2.5), 3);
  EXPECT_EQ(vtuRound::round_asym(-2.5), -2);
  EXPECT_EQ(vtuRound::round_asym(-0.5), 0);
  EXPECT_EQ(vtuRound::round_asym_double(-2.5), -2.0);
  EXPECT_EQ(vtuRound::round_away_from_zero(2.1), 3);
  EXPECT_EQ(vtuRound::round_away_from_zero(-2.1), -3);
  EXPECT_EQ(vtuRound::round_away_from_zero(4.0), 4);
  EXPECT_EQ(vtuRound::round_away_from_zero(-0.0), 0);
  EXPECT_EQ(vtuRound::round_away_from_zero(0.0001), 1);
  EXPECT_EQ(vtuRound::round_away_from_zero_double(-2.1), -3.0);
}

TEST(Round, IntegerFormsOutsideTheIntRangeGiveIntMin) {
  EXPECT_EQ(vtuRound::round_sym(2147483647.0), INT_MAX);
  EXPECT_EQ(vtuRound::round_sym(-2147483648.0), INT_MIN);
  EXPECT_EQ(vtuRound::round_sym(kNaN), INT_MIN);
  EXPECT_EQ(vtuRound::round_asym(3e9), INT_MIN);
  EXPECT_EQ(vtuRound::round_away_from_zero(2147483647.5), INT_MIN);
}

TEST(Round, FixNegativeZeroIsStrictAtTheThreshold) {
  EXPECT_FALSE(std::signbit(vtuRound::fix_negative_zero_value(-0.0)));
  const double tiny = vtuRound::fix_negative_zero_value(-5e-12);
  EXPECT_EQ(tiny, 0.0);
  EXPECT_FALSE(std::signbit(tiny));
  EXPECT_EQ(vtuRound::fix_negative_zero_value(-2e-11), -2e-11);
  EXPECT_EQ(vtuRound::fix_negative_zero_value(1e-11), 1e-11);
  EXPECT_EQ(vtuRound::fix_negative_zero_value(-1e-11), -1e-11);
  EXPECT_TRUE(std::isnan(vtuRound::fix_negative_zero_value(kNaN)));
}

}  // namespace
