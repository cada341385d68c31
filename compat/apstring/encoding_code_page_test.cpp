// Tests of the OS and utString encodings under each code page of the test table: both convert
// through the ANSI code page and report what it cannot hold.
#include "vtplatform/apstring/encoding.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "testing/code_page_samples.h"
#include "vtplatform/win32/code_page.h"

namespace {

std::string_view bytes_of(const utString& text) { return {text.data(), text.length()}; }

apString utf16(const wchar_t* wide) { return apString(apStringL, wide); }

TEST(AnsiEncodingCodePage, BothChoosersConvertThroughTheAnsiCodePage) {
  const auto& samples = vtutils::testing::code_page_samples();
  for (const apIStringEncoding* encoding :
       {static_cast<const apIStringEncoding*>(apStringOsEncodingChooser().os_encoding()),
        apStringEncodingChooser().ut_encoding()}) {
    int error = -1;
    EXPECT_EQ(encoding->in(samples.word.ansi, error), utf16(samples.word.wide));
    EXPECT_EQ(error, 0);
    EXPECT_EQ(bytes_of(encoding->out(utf16(samples.word.wide), error)), samples.word.ansi);
    EXPECT_EQ(error, 0);

    EXPECT_EQ(bytes_of(encoding->out(utf16(samples.missing.wide), error)), samples.missing.ansi);
    EXPECT_EQ(error != 0, samples.code_page != CP_UTF8);
  }
}

}  // namespace
