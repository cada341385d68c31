// Tests of apString: wide text in and out, and positions from the substring search.
#include "vtplatform/apstring/ap_string.h"

#include <string>

#include <gtest/gtest.h>

namespace {

TEST(ApStringTest, WideTextRoundTripsThroughUtf16) {
  const apString text(apStringL, L"Geh\u00e4use \U0001F600");
  EXPECT_EQ(text.u16(), u"Geh\u00e4use \U0001F600");
  EXPECT_EQ(text.length(), 10u);  // the emoji takes a surrogate pair
  EXPECT_EQ(text.wstring(), L"Geh\u00e4use \U0001F600");
  EXPECT_EQ(apString(apStringL, nullptr), apString());
}

TEST(ApStringTest, WcsReportsValuesThatAreNotScalarValues) {
  int error = -1;
  EXPECT_EQ(apString(apStringWcs, L"abc", error), apString(u"abc"));
  EXPECT_EQ(error, 0);

  const wchar_t surrogate[] = {L'a', static_cast<wchar_t>(0xD800), 0};
  EXPECT_EQ(apString(apStringWcs, surrogate, error), apString(u"a\uFFFD"));
  EXPECT_NE(error, 0);

  error = -1;
  EXPECT_EQ(apString(apStringWcs, nullptr, error), apString());
  EXPECT_EQ(error, 0);
}

TEST(ApStringTest, LoneSurrogateComesOutAsReplacement) {
  EXPECT_EQ(apString(std::u16string(u"x") + char16_t(0xDC00)).wstring(), L"x\uFFFD");
}

TEST(ApStringTest, FindSubstring) {
  const apString path(apStringL, L"/home/me/devel/binaries/libVTUtils.so");
  EXPECT_EQ(path.find_substring(apString(apStringL, L"devel/binaries")).index(), 9u);
  EXPECT_EQ(path.find_substring(apString(apStringL, L"devel\\binaries")), path.end());
  EXPECT_EQ(path.find_substring(apString()), apStringPos(0));
  EXPECT_EQ(path.end().index(), path.length());
  EXPECT_EQ(apString().find_substring(apString(apStringL, L"a")), apString().end());
}

}  // namespace
