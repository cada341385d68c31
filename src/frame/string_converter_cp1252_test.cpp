// Tests of vtuStringConverter under a legacy single-byte ANSI code page: this binary runs with
// LC_ALL=de_DE.CP1252.
#include <gtest/gtest.h>

#include "vtutils/string_converter.h"

namespace {

TEST(StringConverterCp1252, UmlautsRoundTrip) {
  ASSERT_EQ(GetACP(), 1252u);
  const CString narrow("\xC4rger \xFC\x62\x65r Gr\xF6\xDF\x65 \x80");
  const apString text = vtuStringConverter::ap_str(narrow);
  EXPECT_EQ(text, apString(apStringL, L"Ärger über Größe €"));
  EXPECT_STREQ(vtuStringConverter::mfc_str(text), narrow);
  EXPECT_STREQ(vtuStringConverter::ut_str(text).data(), narrow.GetString());
}

TEST(StringConverterCp1252, WhatTheCodePageCannotHoldBecomesTheSubstitute) {
  EXPECT_STREQ(vtuStringConverter::mfc_str(apString(apStringL, L"\u0100x\u03A9")), "?x?");
  EXPECT_STREQ(vtuStringConverter::ut_str(apString(apStringL, L"\u4E2D")).data(), "?");
}

TEST(StringConverterCp1252, AnEmbeddedNulEndsTheCString) {
  const apString with_nul(std::u16string(u"\u00E4\0\u00F6", 3));
  EXPECT_STREQ(vtuStringConverter::mfc_str(with_nul), "\xE4");
}

}  // namespace
