// Tests of the UTF-8 encoding under a UTF-8 locale; the choosers are tested under each code page.
#include "vtplatform/apstring/encoding.h"

#include <string>
#include <string_view>

#include <gtest/gtest.h>

namespace {

std::string_view bytes_of(const utString& text) { return {text.data(), text.length()}; }

TEST(Utf8EncodingTest, RoundTripsNonAscii) {
  constexpr const char* kBytes = "D:/Projekte/Geh\xC3\xA4use \xE2\x82\xAC \xF0\x9F\x98\x80";
  const apStringUTF8Encoding utf8;
  int error = -1;
  const apString text = utf8.in(kBytes, error);
  EXPECT_EQ(error, 0);
  EXPECT_EQ(text, apString(u"D:/Projekte/Geh\u00e4use \u20ac \U0001F600"));

  error = -1;
  EXPECT_EQ(bytes_of(utf8.out(text, error)), kBytes);
  EXPECT_EQ(error, 0);
}

TEST(Utf8EncodingTest, InvalidBytesSetError) {
  const apStringUTF8Encoding utf8;
  for (const char* bad : {"a\xFF", "\xC3(", "\xC0\xAF", "\xED\xA0\x80", "\xE2\x82"}) {
    int error = 0;
    const apString text = utf8.in(bad, error);
    EXPECT_NE(error, 0) << bad;
    EXPECT_NE(text.u16().find(u'\uFFFD'), std::u16string::npos) << bad;
  }
}

TEST(Utf8EncodingTest, NulNullAndEmpty) {
  const apStringUTF8Encoding utf8;
  int error = -1;
  EXPECT_EQ(utf8.in(nullptr, error), apString());
  EXPECT_EQ(error, 0);
  EXPECT_FALSE(utf8.out(apString(), error).is_null());
  EXPECT_EQ(utf8.in("ab\0cd", error), apString(u"ab"));
  const utString bytes = utf8.out(apString(std::u16string(u"a\0b", 3)), error);
  EXPECT_EQ(error, 0);
  EXPECT_EQ(bytes_of(bytes), std::string_view("a\0b", 3));
}

TEST(Utf8EncodingTest, LoneSurrogateOutSetsError) {
  const apStringUTF8Encoding utf8;
  int error = 0;
  const utString bytes = utf8.out(apString(std::u16string(u"a") + char16_t(0xD83D)), error);
  EXPECT_NE(error, 0);
  EXPECT_EQ(bytes_of(bytes), "a\xEF\xBF\xBD");
}

}  // namespace
