// Tests of text in the ANSI code page chosen from the locale, under each code page of the test
// table: conversions with substitution and the collation locale.
#include <gtest/gtest.h>

#include <string>

#include "testing/code_page_samples.h"
#include "vtplatform/win32/code_page.h"
#include "vtplatform/win32/string_compare.h"

namespace {

using vtutils::testing::code_page_samples;

std::wstring to_wide(const std::string& bytes) {
  wchar_t wide[64] = {};
  const int length = MultiByteToWideChar(CP_ACP, 0, bytes.c_str(), -1, wide, 64);
  return length > 0 ? std::wstring(wide) : L"<failed>";
}

// `substituted` learns whether a character became the substitute; UTF-8 substitutes nothing and
// takes no flag.
std::string to_ansi(const std::wstring& wide, BOOL& substituted) {
  char bytes[64] = {};
  substituted = FALSE;
  BOOL* flag = GetACP() == CP_UTF8 ? nullptr : &substituted;
  const int length =
      WideCharToMultiByte(CP_THREAD_ACP, 0, wide.c_str(), -1, bytes, 64, nullptr, flag);
  return length > 0 ? std::string(bytes) : "<failed>";
}

TEST(AnsiCodePage, ComesFromTheLocaleAndConvertsBothWays) {
  const auto& samples = code_page_samples();
  ASSERT_EQ(GetACP(), samples.code_page);
  EXPECT_EQ(to_wide(samples.word.ansi), samples.word.wide);
  BOOL substituted = TRUE;
  EXPECT_EQ(to_ansi(samples.word.wide, substituted), samples.word.ansi);
  EXPECT_FALSE(substituted);
  EXPECT_EQ(to_ansi(std::wstring(L"a") + samples.missing.wide + L"b", substituted),
            std::string("a") + samples.missing.ansi + "b");
  EXPECT_EQ(substituted, samples.code_page != CP_UTF8);
}

TEST(AnsiCodePage, DefaultCollationLocaleIsTheEnvironments) {
  if (GetACP() != 1252) GTEST_SKIP() << "the German locale is the 1252 row's";
  // German sorts ä with a; Swedish would put it after z.
  EXPECT_EQ(CompareStringEx(LOCALE_NAME_SYSTEM_DEFAULT, 0, L"ä", -1, L"b", -1, nullptr, nullptr, 0),
            CSTR_LESS_THAN);
  EXPECT_EQ(CompareStringEx(L"sv", 0, L"ä", -1, L"b", -1, nullptr, nullptr, 0), CSTR_GREATER_THAN);
}

}  // namespace
