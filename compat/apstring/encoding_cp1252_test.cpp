// Tests of the OS and utString encodings when the ANSI code page is 1252 (LC_ALL=de_DE.CP1252).
#include "vtplatform/apstring/encoding.h"

#include <string_view>

#include <gtest/gtest.h>

#include "vtplatform/win32/code_page.h"

namespace {

std::string_view bytes_of(const utString& text) { return {text.data(), text.length()}; }

TEST(AnsiEncodingCp1252, BothChoosersConvertThroughCodePage1252) {
  ASSERT_EQ(GetACP(), 1252u);
  for (const apIStringEncoding* encoding :
       {static_cast<const apIStringEncoding*>(apStringOsEncodingChooser().os_encoding()),
        apStringEncodingChooser().ut_encoding()}) {
    int error = -1;
    EXPECT_EQ(encoding->in("\xC4pfel \x80", error), apString(u"\u00c4pfel \u20ac"));
    EXPECT_EQ(error, 0);
    EXPECT_EQ(bytes_of(encoding->out(apString(u"\u00c4pfel \u20ac"), error)), "\xC4pfel \x80");
    EXPECT_EQ(error, 0);

    EXPECT_EQ(bytes_of(encoding->out(apString(u"A\u0100B"), error)), "A?B");
    EXPECT_NE(error, 0);
  }
}

}  // namespace
