// Tests of CString and CStringW under each code page of the test table: conversion with
// substitution, searches, tokens and case mapping that never take a trail byte for an ASCII
// character, and string resources converted from UTF-8.
#include <gtest/gtest.h>

#include <string>

#include "testing/code_page_samples.h"
#include "vtplatform/mfc/cstring.h"
#include "vtplatform/mfc/module_state.h"
#include "vtplatform/mfc/string_table.h"
#include "vtplatform/win32/code_page.h"

namespace {

using vtutils::testing::code_page_samples;

TEST(CStringCodePage, ConvertsToAndFromWideText) {
  const auto& samples = code_page_samples();
  EXPECT_STREQ(CString(samples.word.wide), samples.word.ansi);
  EXPECT_STREQ(CStringW(samples.word.ansi), samples.word.wide);
  EXPECT_STREQ(CString((std::wstring(L"a") + samples.missing.wide).c_str()),
               (std::string("a") + samples.missing.ansi).c_str());
}

TEST(CStringCodePage, SearchesAndTokensFindOnlyWholeCharacters) {
  const std::string word = code_page_samples().word.ansi;
  const int length = static_cast<int>(word.size());
  const CString text((word + "\\" + word + "|").c_str());
  EXPECT_EQ(text.Find('\\'), length);
  EXPECT_EQ(text.ReverseFind('\\'), length);
  EXPECT_EQ(text.Find('|'), 2 * length + 1);
  EXPECT_EQ(text.Find(']'), -1);
  EXPECT_EQ(text.Find("A"), -1);
  int start = 0;
  EXPECT_STREQ(text.Tokenize("\\|", start), word.c_str());
  EXPECT_STREQ(text.Tokenize("\\|", start), word.c_str());
  EXPECT_STREQ(text.Tokenize("\\|", start), "");
  EXPECT_EQ(start, -1);
  EXPECT_STREQ(CString((" " + word + " ").c_str()).Trim(), word.c_str());

  CString replaced = text;
  EXPECT_EQ(replaced.Replace("A", "x"), 0);
  EXPECT_EQ(replaced.Replace('\\', '/'), 1);
  EXPECT_EQ(replaced.Replace(word.c_str(), "w"), 2);
  EXPECT_STREQ(replaced, "w/w|");
}

TEST(CStringCodePage, CaseMappingLeavesTrailBytesAlone) {
  const auto& samples = code_page_samples();
  // The narrow mapping is the wide one wherever the code page holds the result.
  const auto lower = [](const wchar_t* wide) { return CString(CStringW(wide).MakeLower()); };
  const auto upper = [](const wchar_t* wide) { return CString(CStringW(wide).MakeUpper()); };
  EXPECT_STREQ(CString(samples.word.ansi).MakeLower(), lower(samples.word.wide));
  EXPECT_STREQ(CString((samples.word.ansi + std::string("ABC")).c_str()).MakeLower(),
               lower(samples.word.wide) + "abc");
  EXPECT_STREQ(CString(samples.upper.ansi).MakeLower(), lower(samples.upper.wide));
  EXPECT_STREQ(CString(samples.lower.ansi).MakeUpper(), upper(samples.lower.wide));
}

TEST(CStringCodePage, CompareNoCaseFoldsOnlyWholeCharacters) {
  const auto& samples = code_page_samples();
  // Equal exactly when the characters are one another's case: in a double-byte page the two
  // differ in a trail byte only and stay different.
  const bool same_folded =
      CStringW(samples.upper.wide).MakeLower() == CStringW(samples.lower.wide).MakeLower();
  EXPECT_EQ(CString(samples.upper.ansi).CompareNoCase(samples.lower.ansi) == 0, same_folded);
}

TEST(CStringCodePage, CaseMappingStaysInsideTheCodePage) {
  if (GetACP() != 1252) GTEST_SKIP() << "characters of the 1252 row";
  // ÿ upper-cases to Ÿ, which 1252 keeps at 0x9F; µ upper-cases to Greek capital mu, which 1252
  // lacks; ß has no single-letter upper case.
  EXPECT_STREQ(CString("\xFF").MakeUpper(), "\x9F");
  EXPECT_STREQ(CString("\xB5\xDF").MakeUpper(), "\xB5\xDF");
}

TEST(CStringCodePage, LoadStringConvertsTheUtf8Resource) {
  const auto& samples = code_page_samples();
  const std::string resource = std::string(samples.word.utf8) + " " + samples.missing.utf8;
  const CModuleStringTable strings(AfxGetResourceHandle(), {{61101, resource.c_str()}});
  CString narrow;
  EXPECT_TRUE(narrow.LoadString(61101));
  EXPECT_STREQ(narrow, (std::string(samples.word.ansi) + " " + samples.missing.ansi).c_str());
  CStringW wide;
  EXPECT_TRUE(wide.LoadString(61101));
  EXPECT_STREQ(wide, (std::wstring(samples.word.wide) + L" " + samples.missing.wide).c_str());
}

}  // namespace
