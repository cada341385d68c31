// Tests of utString: the null/empty distinction, buffer sharing and the substring search.
#include "vtplatform/base/ut_string.h"

#include <string_view>
#include <utility>

#include <gtest/gtest.h>

namespace {

std::string_view bytes_of(const utString& text) { return {text.data(), text.length()}; }

TEST(UtStringTest, NullAndEmptyAreDistinct) {
  const utString null_string;
  EXPECT_TRUE(null_string.is_null());
  EXPECT_EQ(null_string.data(), nullptr);
  EXPECT_EQ(null_string.length(), 0u);
  EXPECT_TRUE(utString(static_cast<const char*>(nullptr)).is_null());
  EXPECT_TRUE(utString(utStringLiteral, nullptr).is_null());

  const utString empty("");
  EXPECT_FALSE(empty.is_null());
  ASSERT_NE(empty.data(), nullptr);
  EXPECT_EQ(empty.data()[0], '\0');
  EXPECT_EQ(empty.length(), 0u);
}

TEST(UtStringTest, CopiesOwnTextAndShareIt) {
  char source[] = "C:/Models/bracket.igs";
  const utString original(source);
  source[0] = 'X';  // the string holds its own copy
  EXPECT_EQ(bytes_of(original), "C:/Models/bracket.igs");
  EXPECT_NE(original.data(), source);

  utString copy = original;
  EXPECT_EQ(copy.data(), original.data());
  utString assigned;
  assigned = copy;
  EXPECT_EQ(assigned.data(), original.data());
  copy = utString();  // dropping one copy keeps the shared text alive for the others
  EXPECT_TRUE(copy.is_null());
  EXPECT_EQ(bytes_of(assigned), "C:/Models/bracket.igs");

  const utString moved = std::move(assigned);
  EXPECT_EQ(moved.data(), original.data());
}

TEST(UtStringTest, LiteralIsNotCopied) {
  static const char kLiteral[] = "VERSION";
  const utString literal(utStringLiteral, kLiteral);
  EXPECT_EQ(literal.data(), kLiteral);
  EXPECT_EQ(literal.length(), 7u);
  const utString copy = literal;
  EXPECT_EQ(copy.data(), kLiteral);
}

TEST(UtStringTest, LocateSubstring) {
  const utString line("xCAD-12 CAD-3");
  EXPECT_EQ(line.locate_substring(utString("CAD-")), 1);
  EXPECT_EQ(line.locate_substring(utString("CAD-3")), 8);
  EXPECT_EQ(line.locate_substring(utString("xCAD-12 CAD-3 ")), -1);
  EXPECT_EQ(line.locate_substring(utString("")), 0);
  EXPECT_EQ(line.locate_substring(utString()), 0);
  EXPECT_EQ(utString("").locate_substring(utString("")), 0);
  EXPECT_EQ(utString().locate_substring(utString("")), -1);
  EXPECT_EQ(utString().locate_substring(utString()), -1);

  const utString bytes("a\0b", 3);  // the search runs over embedded NULs
  EXPECT_EQ(bytes.length(), 3u);
  EXPECT_EQ(bytes.data()[3], '\0');
  EXPECT_EQ(bytes.locate_substring(utString("b")), 2);
}

}  // namespace
