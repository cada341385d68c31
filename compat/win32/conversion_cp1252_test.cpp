// Tests of the ANSI code page chosen from a legacy locale: this binary runs with
// LC_ALL=de_DE.CP1252.
#include <gtest/gtest.h>

#include "vtplatform/win32/code_page.h"

namespace {

TEST(AnsiCodePage, ComesFromTheLocaleEnvironment) {
  ASSERT_EQ(GetACP(), 1252u);
  wchar_t wide[4] = {};
  ASSERT_EQ(MultiByteToWideChar(CP_ACP, 0, "\xE4\x80", -1, wide, 4), 3);
  EXPECT_EQ(std::wstring(wide), L"ä€");
  char bytes[4] = {};
  BOOL substituted = FALSE;
  ASSERT_EQ(WideCharToMultiByte(CP_THREAD_ACP, 0, L"Ü\u0100", -1, bytes, 4, nullptr, &substituted), 3);
  EXPECT_STREQ(bytes, "\xDC?");
  EXPECT_TRUE(substituted);
}

}  // namespace
