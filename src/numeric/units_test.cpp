// Tests of the unit names: both directions, exact matching, and the table's first use from two
// threads at once.
#include "vtutils/units.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <thread>

namespace {

// Values that are no member have empty names; every name converts back.
TEST(Units, NamesAndTheWayBack) {
  struct Case {
    VTX_Units units;
    const char* name;
    const char* short_name;
  };
  for (const Case& c : {Case{VTX_UNITS_INCHES, "inches", "in"}, Case{VTX_UNITS_MM, "mm", "mm"},
                        Case{VTX_UNITS_UNDEFINED, "undefined", "undefined"},
                        Case{VTX_Units{2}, "", ""}, Case{VTX_Units{-2}, "", ""}}) {
    EXPECT_STREQ(vtu_units_to_string(c.units), c.name) << c.units;
    EXPECT_STREQ(vtu_units_to_short_string(c.units), c.short_name) << c.units;
    if (*c.name == '\0') continue;
    EXPECT_EQ(vtu_units_from_string(c.name), c.units);
    EXPECT_EQ(vtu_units_from_string(c.short_name), c.units);
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
