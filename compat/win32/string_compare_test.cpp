// Tests of CompareStringEx and StrCmpLogicalW: flags, locales and failures.
#include <gtest/gtest.h>

#include "vtplatform/win32/error.h"
#include "vtplatform/win32/string_compare.h"

namespace {

int compare(LPCWSTR locale, DWORD flags, LPCWSTR a, LPCWSTR b) {
  return CompareStringEx(locale, flags, a, -1, b, -1, nullptr, nullptr, 0);
}

TEST(CompareStringEx, FlagsChooseWhatCounts) {
  EXPECT_EQ(compare(LOCALE_NAME_INVARIANT, 0, L"a10", L"a9"), CSTR_LESS_THAN);
  EXPECT_EQ(compare(LOCALE_NAME_INVARIANT, SORT_DIGITSASNUMBERS, L"a10", L"a9"), CSTR_GREATER_THAN);
  EXPECT_EQ(compare(LOCALE_NAME_INVARIANT, 0, L"abc", L"ABC"), CSTR_LESS_THAN);
  EXPECT_EQ(compare(LOCALE_NAME_INVARIANT, NORM_IGNORECASE, L"abc", L"ABC"), CSTR_EQUAL);
  EXPECT_EQ(compare(LOCALE_NAME_INVARIANT, NORM_IGNORENONSPACE, L"résumé", L"resume"), CSTR_EQUAL);
  EXPECT_NE(compare(LOCALE_NAME_INVARIANT, NORM_IGNORENONSPACE, L"Resume", L"resume"), CSTR_EQUAL);
  EXPECT_EQ(compare(LOCALE_NAME_INVARIANT, NORM_IGNORESYMBOLS, L"co-op", L"coop"), CSTR_EQUAL);
  // Counted lengths compare only the counted characters.
  EXPECT_EQ(CompareStringEx(nullptr, 0, L"abcX", 3, L"abcY", 3, nullptr, nullptr, 0), CSTR_EQUAL);
}

TEST(CompareStringEx, LocalesTailorTheOrder) {
  // Swedish sorts å after z; the root order puts it with a.
  EXPECT_EQ(compare(L"sv-SE", 0, L"å", L"z"), CSTR_GREATER_THAN);
  EXPECT_EQ(compare(LOCALE_NAME_INVARIANT, 0, L"å", L"z"), CSTR_LESS_THAN);
  // The test environment's C.UTF-8 locale means the root order for the defaults.
  EXPECT_EQ(compare(LOCALE_NAME_SYSTEM_DEFAULT, 0, L"å", L"z"), CSTR_LESS_THAN);
}

TEST(CompareStringEx, FailsOnBadArguments) {
  EXPECT_EQ(compare(nullptr, 0, nullptr, L"a"), 0);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(CompareStringEx(nullptr, 0, L"a", -2, L"a", -1, nullptr, nullptr, 0), 0);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(compare(L"not a tag!", 0, L"a", L"b"), 0);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(compare(nullptr, 0x40000000, L"a", L"b"), 0);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_FLAGS);
}

TEST(StrCmpLogicalW, IsTheFileNameOrder) {
  EXPECT_LT(StrCmpLogicalW(L"Scan 2.dat", L"scan 10.dat"), 0);
  EXPECT_EQ(StrCmpLogicalW(L"README", L"readme"), 0);
  EXPECT_GT(StrCmpLogicalW(L"b", L"A"), 0);
  EXPECT_EQ(StrCmpLogicalW(nullptr, nullptr), 0);
  EXPECT_LT(StrCmpLogicalW(nullptr, L""), 0);
  EXPECT_GT(StrCmpLogicalW(L"", nullptr), 0);
}

}  // namespace
