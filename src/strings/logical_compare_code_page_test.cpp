// Tests of natural-order comparison under each code page of the test table.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "testing/code_page_samples.h"
#include "vtutils/logical_compare.h"
#include "vtutils/platform/text.h"

namespace {

void sort_naturally(std::vector<std::string>& names) {
  std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
    return vtuLogicalStringLess()(a.c_str(), b.c_str());
  });
}

TEST(LogicalStringCompareCodePage, NumbersAfterTheCodePagesTextCountAsNumbers) {
  const std::string word = vtutils::testing::code_page_samples().word.ansi;
  std::vector<std::string> names = {word + "10", word + "9", word + "1 " + word, word + "2"};
  sort_naturally(names);
  EXPECT_EQ(names,
            (std::vector<std::string>{word + "1 " + word, word + "2", word + "9", word + "10"}));
}

TEST(LogicalStringCompareCodePage, SortsUmlautsAndNumbersInGermanOrder) {
  if (GetACP() != 1252) GTEST_SKIP() << "the German locale is the 1252 row's";
  std::vector<std::string> names = {"Zylinder 2", "\xC4nderung 10", "Anfang 3", "\xC4nderung 9",
                                    "\xFC\x62\x65rpr\xFC\x66ung", "Ubung", "anfang 3"};
  sort_naturally(names);
  // German collates Ä as A and ü as u, then the letters that follow decide.
  const std::vector<std::string> expected = {"\xC4nderung 9", "\xC4nderung 10", "anfang 3",
                                             "Anfang 3", "\xFC\x62\x65rpr\xFC\x66ung", "Ubung",
                                             "Zylinder 2"};
  EXPECT_EQ(names, expected);
  EXPECT_FALSE(vtuLogicalStringEquals()("\xC4rger", "\xE4rger"));
  EXPECT_EQ(vtuLogicalStringCompare().case_compare(L"Ärger", L"ärger"), 0);
}

}  // namespace
