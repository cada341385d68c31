// The default collation locale comes from the environment: this binary runs with
// LC_ALL=de_DE.CP1252, so the defaults collate in German.
#include <gtest/gtest.h>

#include "vtplatform/win32/string_compare.h"

namespace {

TEST(CompareStringExCp1252, DefaultLocaleIsTheEnvironmentsCollationLocale) {
  // German sorts ä with a; Swedish would put it after z.
  EXPECT_EQ(CompareStringEx(LOCALE_NAME_SYSTEM_DEFAULT, 0, L"ä", -1, L"b", -1, nullptr, nullptr, 0),
            CSTR_LESS_THAN);
  EXPECT_EQ(CompareStringEx(L"sv", 0, L"ä", -1, L"b", -1, nullptr, nullptr, 0), CSTR_GREATER_THAN);
}

}  // namespace
