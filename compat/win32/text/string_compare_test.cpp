// Tests of CompareStringEx and StrCmpLogicalW: flags, locales and failures.
#include <gtest/gtest.h>

#include <string>

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

std::string sort_key(DWORD flags, const wchar_t* text) {
  const int length = LCMapStringEx(nullptr, LCMAP_SORTKEY | flags, text, -1, nullptr, 0, nullptr,
                                   nullptr, 0);
  std::string key(static_cast<std::size_t>(length), '\0');
  EXPECT_EQ(LCMapStringEx(nullptr, LCMAP_SORTKEY | flags, text, -1,
                          reinterpret_cast<LPWSTR>(key.data()), length, nullptr, nullptr, 0),
            length);
  return key;
}

TEST(LCMapStringEx, SortKeysOrderTextsAsCompareStringExDoes) {
  const wchar_t* texts[] = {L"Plane 2", L"Plane 02", L"plane 2", L"Plane 10", L"Plane",
                            L"Größe 3", L"Grosse 3", L"a-b", L"ab", L""};
  for (DWORD flags : {DWORD{0}, SORT_DIGITSASNUMBERS, SORT_DIGITSASNUMBERS | NORM_IGNORECASE}) {
    for (const wchar_t* a : texts) {
      for (const wchar_t* b : texts) {
        const int key_order = sort_key(flags, a).compare(sort_key(flags, b));
        const int order = compare(nullptr, flags, a, b) - CSTR_EQUAL;
        EXPECT_EQ((key_order > 0) - (key_order < 0), order) << flags << ' ' << a << ' ' << b;
      }
    }
  }
  wchar_t small[1];
  EXPECT_EQ(LCMapStringEx(nullptr, LCMAP_SORTKEY, L"abc", -1, small, 1, nullptr, nullptr, 0), 0);
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
  EXPECT_EQ(LCMapStringEx(nullptr, 0, L"abc", -1, small, 1, nullptr, nullptr, 0), 0);
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
