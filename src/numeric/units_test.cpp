// Tests of the unit names: both directions, exact matching, and the table's first use from two
// threads at once.
#include "vtutils/units.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <thread>

namespace {

TEST(Units, DisplayNames) {
  EXPECT_STREQ(vtu_units_to_string(VTX_UNITS_INCHES), "inches");
  EXPECT_STREQ(vtu_units_to_short_string(VTX_UNITS_INCHES), "in");
  EXPECT_STREQ(vtu_units_to_string(VTX_UNITS_MM), "mm");
  EXPECT_STREQ(vtu_units_to_short_string(VTX_UNITS_MM), "mm");
  EXPECT_STREQ(vtu_units_to_string(VTX_UNITS_UNDEFINED), "undefined");
  EXPECT_STREQ(vtu_units_to_short_string(VTX_UNITS_UNDEFINED), "undefined");
}

TEST(Units, ValuesThatAreNoMemberHaveEmptyNames) {
  for (const VTX_Units units : {VTX_Units{2}, VTX_Units{-2}}) {
    ASSERT_NE(vtu_units_to_string(units), nullptr);
    EXPECT_STREQ(vtu_units_to_string(units), "");
    ASSERT_NE(vtu_units_to_short_string(units), nullptr);
    EXPECT_STREQ(vtu_units_to_short_string(units), "");
  }
}

TEST(Units, EveryNameConvertsBack) {
  for (const VTX_Units units : {VTX_UNITS_UNDEFINED, VTX_UNITS_INCHES, VTX_UNITS_MM}) {
    EXPECT_EQ(vtu_units_from_string(vtu_units_to_string(units)), units);
    EXPECT_EQ(vtu_units_from_string(vtu_units_to_short_string(units)), units);
  }
}

TEST(Units, MatchingIsExact) {
  const char* const texts[] = {"INCHES", "Mm", " mm", "mm.", "inch", "", nullptr};
  for (const char* text : texts) {
    EXPECT_EQ(vtu_units_from_string(text), VTX_UNITS_UNDEFINED) << (text ? text : "(null)");
  }
}

// The table is built on the first lookup of the process, so this runs in a fresh process: the
// threadsafe death test style starts the test program anew for the check.
TEST(UnitsDeathTest, TwoThreadsLookingUpFirstAgree) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        VTX_Units first = VTX_UNITS_UNDEFINED;
        VTX_Units second = VTX_UNITS_UNDEFINED;
        std::thread a([&] { first = vtu_units_from_string("in"); });
        std::thread b([&] { second = vtu_units_from_string("mm"); });
        a.join();
        b.join();
        std::exit(first == VTX_UNITS_INCHES && second == VTX_UNITS_MM ? 0 : 1);
      },
      testing::ExitedWithCode(0), "");
}

}  // namespace
