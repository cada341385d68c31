// Tests of text in the ANSI code page chosen from the locale, under each code page of the test
// table: conversions with substitution, the character walker and the collation locale.
#include <gtest/gtest.h>

#include <cstring>
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

TEST(AnsiCodePage, CharNextAndCharPrevStepOverWholeCharacters) {
  const auto& samples = code_page_samples();
  const std::string text = std::string(samples.word.ansi) + "\\A";
  const char* const end = text.c_str() + text.size();
  // Forward: every step takes exactly one character.
  std::wstring characters;
  for (const char* at = text.c_str(); *at != '\0';) {
    const char* next = CharNextA(at);
    const std::wstring one = to_wide(std::string(at, next));
    EXPECT_EQ(one.size(), 1u) << "a step of " << next - at << " bytes";
    characters += one;
    at = next;
  }
  EXPECT_EQ(characters, std::wstring(samples.word.wide) + L"\\A");
  EXPECT_EQ(CharNextA(end), end);
  // Backward: the character before the backslash is the word's last, not its trail byte.
  const char* backslash = end - 2;
  const char* last = CharPrevA(text.c_str(), backslash);
  EXPECT_EQ(to_wide(std::string(last, backslash)),
            std::wstring(1, samples.word.wide[std::wcslen(samples.word.wide) - 1]));
  EXPECT_EQ(CharPrevA(text.c_str(), text.c_str()), text.c_str());

  const auto first = static_cast<BYTE>(samples.word.ansi[0]);
  EXPECT_EQ(IsDBCSLeadByte(first) != FALSE, samples.double_byte);
  EXPECT_EQ(IsDBCSLeadByteEx(CP_ACP, first) != FALSE, samples.double_byte);
  EXPECT_FALSE(IsDBCSLeadByte('A'));
  EXPECT_TRUE(IsDBCSLeadByteEx(932, 0x95));
  EXPECT_FALSE(IsDBCSLeadByteEx(CP_UTF8, 0xE8));
}

TEST(AnsiCodePage, DefaultCollationLocaleIsTheEnvironments) {
  if (GetACP() != 1252) GTEST_SKIP() << "the German locale is the 1252 row's";
  // German sorts ä with a; Swedish would put it after z.
  EXPECT_EQ(CompareStringEx(LOCALE_NAME_SYSTEM_DEFAULT, 0, L"ä", -1, L"b", -1, nullptr, nullptr, 0),
            CSTR_LESS_THAN);
  EXPECT_EQ(CompareStringEx(L"sv", 0, L"ä", -1, L"b", -1, nullptr, nullptr, 0), CSTR_GREATER_THAN);
}

}  // namespace
