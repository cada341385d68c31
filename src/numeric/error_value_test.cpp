// Tests of the error value and overrun state: rounded against precise judgement, the limits, the
// threshold and the deviation form.
#include "vtutils/error_value.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

// A helper that records whether it was asked how to judge.
class RecordingHelper : public vtuErrorValueHelper {
 public:
  mutable bool asked = false;

 protected:
  bool use_precise_error() const override {
    asked = true;
    return false;
  }
};

const vtuRoundedErrorValueHelper kRounded;
const vtuPreciseErrorValueHelper kPrecise;

TEST(ErrorValue, RoundedAndPreciseDisagreeJustOutsideTheBand) {
  EXPECT_EQ(kRounded.calculate_error_state(10.004, 9.99, 10.0, 2), VTX_OVERRUN_IN_TOLERANCE);
  EXPECT_EQ(kPrecise.calculate_error_state(10.004, 9.99, 10.0, 2), VTX_OVERRUN_ABOVE_UPPER);
  EXPECT_EQ(vtuErrorValueHelper::calculate_error_value(10.004, 9.99, 10.0, 2), 0.0);

  // A small negative error rounds to -0.0, which is still in tolerance.
  EXPECT_TRUE(std::signbit(vtuErrorValueHelper::calculate_error_value(-0.001, 0.0, 1.0, 2)));
  EXPECT_EQ(kRounded.calculate_error_state(-0.001, 0.0, 1.0, 2), VTX_OVERRUN_IN_TOLERANCE);
  EXPECT_EQ(kPrecise.calculate_error_state(-0.001, 0.0, 1.0, 2), VTX_OVERRUN_BELOW_LOWER);
}

TEST(ErrorValue, NegativeDecimalsRoundNothing) {
  EXPECT_EQ(kRounded.calculate_error_state(9.985, 9.99, 10.0, -1), VTX_OVERRUN_BELOW_LOWER);
  EXPECT_EQ(kPrecise.calculate_error_state(9.985, 9.99, 10.0, -1), VTX_OVERRUN_BELOW_LOWER);
  EXPECT_EQ(vtuErrorValueHelper::calculate_error_value(9.985, 9.99, 10.0, -1), 9.985 - 9.99);
}

TEST(ErrorValue, InvertedLimitsAreJudgedWithoutAskingTheHelper) {
  RecordingHelper helper;
  EXPECT_EQ(helper.calculate_error_state(0.5, 1.0, 0.0, 2), VTX_OVERRUN_INVALID_TOLERANCE);
  EXPECT_EQ(helper.calculate_error_state(7.0, 1.0, 0.0, 2), VTX_OVERRUN_INVALID_TOLERANCE);
  EXPECT_FALSE(helper.asked);
  EXPECT_EQ(vtuErrorValueHelper::calculate_error_value(7.0, 1.0, 0.0, 2), 0.0);
  EXPECT_EQ(helper.calculate_error_state(0.5, 0.0, 1.0, 2), VTX_OVERRUN_IN_TOLERANCE);
  EXPECT_TRUE(helper.asked);
}

TEST(ErrorValue, LimitsAndNaNAreInside) {
  for (const double value : {9.99, 10.0, std::numeric_limits<double>::quiet_NaN()}) {
    EXPECT_EQ(vtuErrorValueHelper::calculate_error_value(value, 9.99, 10.0, -1), 0.0);
    EXPECT_EQ(kPrecise.calculate_error_state(value, 9.99, 10.0, -1), VTX_OVERRUN_IN_TOLERANCE);
  }
}

TEST(ErrorValue, ThresholdIsInclusive) {
  EXPECT_EQ(kPrecise.calculate_error_state(1e-11, 0.0, 0.0, -1), VTX_OVERRUN_IN_TOLERANCE);
  EXPECT_EQ(kPrecise.calculate_error_state(-1e-11, 0.0, 0.0, -1), VTX_OVERRUN_IN_TOLERANCE);
  EXPECT_EQ(kPrecise.calculate_error_state(2e-11, 0.0, 0.0, -1), VTX_OVERRUN_ABOVE_UPPER);
  EXPECT_EQ(kPrecise.calculate_error_state(-2e-11, 0.0, 0.0, -1), VTX_OVERRUN_BELOW_LOWER);
}

TEST(ErrorValue, DeviationFromNominal) {
  // 5.3 - 5.0 is 0.29999999999999982, so the error before rounding is just under 0.1.
  EXPECT_EQ(vtuErrorValueHelper::calculate_error_value(5.0, 5.3, -0.2, 0.2, 1), 0.1);
  EXPECT_EQ(kRounded.calculate_error_state(5.0, 5.3, -0.2, 0.2, 1), VTX_OVERRUN_ABOVE_UPPER);
  EXPECT_EQ(kPrecise.calculate_error_state(5.0, 4.7, -0.2, 0.2, 1), VTX_OVERRUN_BELOW_LOWER);
  EXPECT_EQ(kRounded.calculate_error_state(5.0, 5.3, 0.2, -0.2, 1),
            VTX_OVERRUN_INVALID_TOLERANCE);
}

}  // namespace
