// Tests of the Win32 code page conversions and character walks under the UTF-8 ANSI code page.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "vtplatform/win32/code_page.h"
#include "vtplatform/win32/error.h"

namespace {

std::wstring to_wide(UINT code_page, const std::string& bytes, DWORD flags = 0) {
  const int length = MultiByteToWideChar(code_page, flags, bytes.data(),
                                         static_cast<int>(bytes.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  if (length > 0) {
    MultiByteToWideChar(code_page, flags, bytes.data(), static_cast<int>(bytes.size()),
                        wide.data(), length);
  }
  return wide;
}

std::string to_bytes(UINT code_page, const std::wstring& wide, BOOL* substituted = nullptr) {
  const int length = WideCharToMultiByte(code_page, 0, wide.data(), static_cast<int>(wide.size()),
                                         nullptr, 0, nullptr, substituted);
  std::string bytes(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(code_page, 0, wide.data(), static_cast<int>(wide.size()), bytes.data(),
                      length, nullptr, substituted);
  return bytes;
}

TEST(CodePageConversion, ConvertsBetweenCodePages) {
  EXPECT_EQ(to_wide(CP_UTF8, "Ma\xC3\x9F \xE2\x82\xAC \xF0\x9F\x93\x8F"), L"Maß € \U0001F4CF");
  EXPECT_EQ(to_wide(1252, "\x80\xC4"), L"€Ä");
  EXPECT_EQ(to_wide(932, "\x82\xA0"), L"あ");
  EXPECT_EQ(to_bytes(1251, L"Привет"), "\xCF\xF0\xE8\xE2\xE5\xF2");
  EXPECT_EQ(to_bytes(CP_ACP, L"Ø"), "\xC3\x98");
}

TEST(CodePageConversion, LongTextsInMultiByteCodePagesKeepCharactersWhole) {
  // The supplementary character's surrogates fall on both sides of an internal chunk boundary.
  const std::wstring text = std::wstring(255, L'a') + L"\U0001F4CF" + std::wstring(600, L'字');
  BOOL substituted = TRUE;
  const std::string bytes = to_bytes(54936, text, &substituted);
  EXPECT_FALSE(substituted);
  EXPECT_EQ(to_wide(54936, bytes), text);
}

// Each step of CharNextExA takes one character of the code page it is given: a trail byte that
// looks like '\\', sequences of three and four bytes, and a lead byte cut off by the end alone.
TEST(CodePageConversion, CharNextExStepsOverWholeCharactersOfTheCodePageGiven) {
  struct Walk {
    WORD code_page;
    const char* text;
    std::vector<long> steps;
  };
  for (const Walk& walk : {Walk{932, "a\x95\x5C\x82", {1, 2, 1}},
                           Walk{CP_UTF8, "\xE2\x82\xAC\xF0\x9F\x93\x8F\xE2\x82", {3, 4, 1, 1}},
                           Walk{54936, "\x81\x30\x81\x30\xB0\xA1" "a", {4, 2, 1}},
                           Walk{51932, "\x8F\xB0\xA1\xA4\xA2", {3, 2}},
                           Walk{1252, "\x80\x81", {1, 1}}}) {
    std::vector<long> steps;
    for (const char* at = walk.text; *at != '\0';) {
      const char* next = CharNextExA(walk.code_page, at, 0);
      steps.push_back(next - at);
      at = next;
    }
    EXPECT_EQ(steps, walk.steps) << "code page " << walk.code_page;
  }
  const char* text = "a";
  EXPECT_EQ(CharNextExA(932, text + 1, 0), text + 1);
  EXPECT_EQ(CharNextExA(9999, text, 0), text);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST(CodePageConversion, SubstitutesWhatACodePageCannotHold) {
  BOOL substituted = FALSE;
  EXPECT_EQ(to_bytes(1252, L"a\u03A9b", &substituted), "a?b");
  EXPECT_TRUE(substituted);
  EXPECT_EQ(to_bytes(1252, L"ab", &substituted), "ab");
  EXPECT_FALSE(substituted);

  char bytes[8] = {};
  const wchar_t omega[] = L"\u03A9";
  EXPECT_EQ(WideCharToMultiByte(1252, 0, omega, 1, bytes, 8, "#", nullptr), 1);
  EXPECT_EQ(bytes[0], '#');

  // Invalid UTF-8 becomes U+FFFD, one for each byte that starts no character; a lone surrogate
  // in wide text becomes U+FFFD in UTF-8.
  EXPECT_EQ(to_wide(CP_UTF8, "a\xFF\xC3"), L"a\uFFFD\uFFFD");
  EXPECT_EQ(to_bytes(CP_UTF8, std::wstring(1, static_cast<wchar_t>(0xD800))), "\xEF\xBF\xBD");
}

TEST(CodePageConversion, StrictFlagsRefuseInvalidText) {
  wchar_t wide[8];
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, "a\xFF", 2, wide, 8), 0);
  EXPECT_EQ(GetLastError(), ERROR_NO_UNICODE_TRANSLATION);
  const wchar_t lone[] = {static_cast<wchar_t>(0xDC00), 0};
  char bytes[8];
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, lone, 1, bytes, 8, nullptr, nullptr), 0);
  EXPECT_EQ(GetLastError(), ERROR_NO_UNICODE_TRANSLATION);
}

TEST(CodePageConversion, FollowsTheWin32CountingRules) {
  // -1 includes the terminator; a zero capacity asks for the size.
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "abc", -1, nullptr, 0), 4);
  wchar_t wide[4];
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "abc", -1, wide, 4), 4);
  EXPECT_EQ(std::wstring(wide), L"abc");
  // An embedded NUL inside the counted range is converted like any other character.
  EXPECT_EQ(to_wide(CP_UTF8, std::string("a\0b", 3)), std::wstring(L"a\0b", 3));

  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "abc", -1, wide, 3), 0);
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "abc", 0, wide, 4), 0);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, nullptr, 3, wide, 4), 0);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(MultiByteToWideChar(12345, 0, "abc", -1, wide, 4), 0);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0x01, "abc", -1, wide, 4), 0);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_FLAGS);

  BOOL substituted = FALSE;
  char bytes[4];
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, L"a", 1, bytes, 4, nullptr, &substituted), 0);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

}  // namespace
