// Tests of natural-order comparison under a legacy code page and a German collation locale:
// this binary runs with LC_ALL=de_DE.CP1252.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "vtutils/logical_compare.h"

namespace {

TEST(LogicalStringCompareCp1252, SortsUmlautsAndNumbersInGermanOrder) {
  ASSERT_EQ(GetACP(), 1252u);
  std::vector<std::string> names = {"Zylinder 2", "\xC4nderung 10", "Anfang 3", "\xC4nderung 9",
                                    "\xFC\x62\x65rpr\xFC\x66ung", "Ubung", "anfang 3"};
  std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
    return vtuLogicalStringLess()(a.c_str(), b.c_str());
  });
  // German collates Ä as A and ü as u, then the letters that follow decide.
  const std::vector<std::string> expected = {"\xC4nderung 9", "\xC4nderung 10", "anfang 3",
                                             "Anfang 3", "\xFC\x62\x65rpr\xFC\x66ung", "Ubung",
                                             "Zylinder 2"};
  EXPECT_EQ(names, expected);
  EXPECT_FALSE(vtuLogicalStringEquals()("\xC4rger", "\xE4rger"));
  EXPECT_EQ(vtuLogicalStringCompare().case_compare(L"Ärger", L"ärger"), 0);
}

}  // namespace
