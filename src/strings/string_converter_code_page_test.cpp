// Tests of vtuStringConverter under each code page of the test table.
#include <gtest/gtest.h>

#include <cwchar>
#include <string>

#include "testing/code_page_samples.h"
#include "vtutils/string_converter.h"

namespace {

using vtutils::testing::code_page_samples;

TEST(StringConverterCodePage, RoundTripsTheCodePagesText) {
  const auto& word = code_page_samples().word;
  const apString text(apStringL, word.wide);
  EXPECT_EQ(vtuStringConverter::ap_str(CString(word.ansi)), text);
  EXPECT_STREQ(vtuStringConverter::mfc_str(text), word.ansi);
  EXPECT_STREQ(vtuStringConverter::ut_str(text).data(), word.ansi);
  EXPECT_EQ(vtuStringConverter::convert(utString(word.ansi)), text);
}

TEST(StringConverterCodePage, WhatTheCodePageCannotHoldBecomesTheSubstitute) {
  const auto& missing = code_page_samples().missing;
  const std::wstring text = std::wstring(L"x") + missing.wide;
  const std::string substituted = std::string("x") + missing.ansi;
  EXPECT_STREQ(vtuStringConverter::mfc_str(apString(apStringL, text.c_str())),
               substituted.c_str());
  EXPECT_STREQ(vtuStringConverter::ut_str(apString(apStringL, text.c_str())).data(),
               substituted.c_str());
}

TEST(StringConverterCodePage, AnEmbeddedNulEndsTheCString) {
  const auto& word = code_page_samples().word;
  // The samples lie in the basic plane: one UTF-16 unit per wide character.
  const std::u16string text(word.wide, word.wide + std::wcslen(word.wide));
  EXPECT_STREQ(vtuStringConverter::mfc_str(apString(text + u'\0' + text)), word.ansi);
}

}  // namespace
