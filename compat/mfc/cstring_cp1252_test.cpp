// Tests of CString and CStringW under the single-byte ANSI code page 1252: conversion to and from
// wide text with substitution, case mapping of the Western European letters, white space, and
// string resources converted from UTF-8.
#include <gtest/gtest.h>

#include "vtplatform/mfc/cstring.h"
#include "vtplatform/mfc/module_state.h"
#include "vtplatform/mfc/string_table.h"
#include "vtplatform/win32/code_page.h"

namespace {

class CStringCp1252Test : public testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(GetACP(), 1252u) << "run with LC_ALL=de_DE.CP1252"; }
};

TEST_F(CStringCp1252Test, UmlautsRoundTripThroughWideText) {
  const CString narrow(L"\u00C4\u00D6\u00DC\u00E4\u00F6\u00FC\u00DF \u20AC");
  EXPECT_STREQ(narrow, "\xC4\xD6\xDC\xE4\xF6\xFC\xDF \x80");
  EXPECT_STREQ(CStringW(narrow.GetString()), L"\u00C4\u00D6\u00DC\u00E4\u00F6\u00FC\u00DF \u20AC");
}

TEST_F(CStringCp1252Test, WhatTheCodePageCannotHoldBecomesAQuestionMark) {
  EXPECT_STREQ(CString(L"a\u4E2Db\u03A9\U0001F600c"), "a?b??c");
}

TEST_F(CStringCp1252Test, CaseMappingStaysInsideTheCodePage) {
  CString text("\xC4\xD6\xDC-ABC");  // ÄÖÜ-ABC
  EXPECT_STREQ(text.MakeLower(), "\xE4\xF6\xFC-abc");
  EXPECT_STREQ(text.MakeUpper(), "\xC4\xD6\xDC-ABC");
  // ÿ upper-cases to Ÿ, which 1252 keeps at 0x9F.
  EXPECT_STREQ(CString("\xFF").MakeUpper(), "\x9F");
  // µ upper-cases to Greek capital mu, which 1252 lacks; ß has no single-letter upper case.
  EXPECT_STREQ(CString("\xB5\xDF").MakeUpper(), "\xB5\xDF");
}

TEST_F(CStringCp1252Test, SearchAndTrimTreatEveryByteAsACharacter) {
  const CString text("\xA0" "a\xE4" "b\xA0");  // no-break spaces around "aäb"
  EXPECT_EQ(text.Find('\xE4'), 2);
  EXPECT_EQ(text.ReverseFind('\xA0'), 4);
  // The no-break space is not ASCII white space.
  EXPECT_STREQ(CString(text).Trim(), text);
  int start = 0;
  EXPECT_STREQ(text.Tokenize("\xE4", start), "\xA0" "a");
  EXPECT_EQ(start, 3);
}

TEST_F(CStringCp1252Test, LoadStringConvertsTheUtf8Resource) {
  const CModuleStringTable strings(AfxGetResourceHandle(), {{61101, "Gr\xC3\xB6\xC3\x9F" "e \xE4\xB8\xAD"}});
  CString narrow;
  EXPECT_TRUE(narrow.LoadString(61101));
  EXPECT_STREQ(narrow, "Gr\xF6\xDF" "e ?");
  CStringW wide;
  EXPECT_TRUE(wide.LoadString(61101));
  EXPECT_STREQ(wide, L"Gr\u00F6\u00DFe \u4E2D");
}

}  // namespace
