// Tests of vtuStringConverter under the UTF-8 ANSI code page: empty and null text, embedded NULs
// and the first conversion from two threads. The conversions themselves are tested under each
// code page, and the encodings with the string library.
#include <gtest/gtest.h>

#include <thread>

#include "vtutils/string_converter.h"

namespace {

TEST(StringConverter, EmptyTextStaysEmpty) {
  EXPECT_EQ(vtuStringConverter::ap_str(CString()).length(), 0u);
  EXPECT_TRUE(vtuStringConverter::mfc_str(apString()).IsEmpty());
  // The null string has no text; it converts to the empty string.
  EXPECT_EQ(vtuStringConverter::convert(utString()).length(), 0u);
  const utString empty = vtuStringConverter::ut_str(apString());
  EXPECT_FALSE(empty.is_null());
  EXPECT_EQ(empty.length(), 0u);
}

TEST(StringConverter, TextEndsAtTheFirstNul) {
  const apString with_nul(std::u16string(u"before\0after", 12));
  EXPECT_STREQ(vtuStringConverter::mfc_str(with_nul), "before");
  const utString bytes("ab\0cd", 5);
  EXPECT_EQ(vtuStringConverter::convert(bytes), apString(apStringL, L"ab"));
}

// The encodings are chosen on the first conversion of the process, so this runs in a fresh
// process: the threadsafe death test style starts the test program anew for the check.
TEST(StringConverterDeathTest, TwoThreadsConvertingFirstAgree) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        const utString source("Größe");
        apString first;
        apString second;
        std::thread a([&] { first = vtuStringConverter::convert(source); });
        std::thread b([&] { second = vtuStringConverter::convert(source); });
        a.join();
        b.join();
        std::exit(first == second && first == apString(apStringL, L"Größe") ? 0 : 1);
      },
      testing::ExitedWithCode(0), "");
}

}  // namespace
