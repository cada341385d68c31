// Tests of vtuDependencyReader: lines, blank lines, tags and the ends of the buffer.
#include "vtutils/dependency_reader.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string_view>

namespace {

// A reader over a copy of `bytes`, which may hold NUL bytes.
vtuDependencyReader reader_of(std::string_view bytes) {
  auto buffer = std::make_unique<char[]>(bytes.size());
  std::memcpy(buffer.get(), bytes.data(), bytes.size());
  return vtuDependencyReader(std::move(buffer), static_cast<std::uint32_t>(bytes.size()));
}

// A line with text, as opposed to the null string that says there is no line.
void expect_line(const utString& line, const char* text) {
  ASSERT_FALSE(line.is_null()) << "expected \"" << text << "\"";
  EXPECT_EQ(std::string_view(line.data(), line.length()), text);
}

TEST(DependencyReader, EmptyBufferHasNothingAndKeepsSaying) {
  vtuDependencyReader reader(nullptr, 0);
  for (int i = 0; i < 2; ++i) {
    EXPECT_TRUE(reader.read_next_line().is_null());
    EXPECT_TRUE(reader.read_next_tag().is_null());
  }
}

TEST(DependencyReader, UnfinishedLastLineIsConsumedButNeverReturned) {
  auto reader = reader_of("abc");
  EXPECT_TRUE(reader.read_next_line().is_null());
  EXPECT_TRUE(reader.read_next_line().is_null());
  EXPECT_TRUE(reader.read_next_tag().is_null());
}

TEST(DependencyReader, TagIsWhateverFollowsABlankLine) {
  // The second blank line is itself the tag: an empty line, not the null string.
  auto reader = reader_of("\n\nX\n");
  expect_line(reader.read_next_tag(), "");
  EXPECT_TRUE(reader.read_next_tag().is_null());

  // A blank line as the last thing in the buffer opens no record.
  auto trailing = reader_of("junk\n\n");
  EXPECT_TRUE(trailing.read_next_tag().is_null());
  EXPECT_TRUE(trailing.read_next_line().is_null());
}

TEST(DependencyReader, SearchForATagSkipsEverythingUpToTheNextBlankLine) {
  auto reader = reader_of("before\nthe first\n\nA\nvalue\nleft over\nunread\n\nB\n");
  expect_line(reader.read_next_tag(), "A");
  expect_line(reader.read_next_line(), "value");
  expect_line(reader.read_next_tag(), "B");
  EXPECT_TRUE(reader.read_next_tag().is_null());
}

TEST(DependencyReader, CarriageReturnsAndWhiteSpaceArePartOfTheLine) {
  auto reader = reader_of(" VERSION \t\r\n\r\n");
  expect_line(reader.read_next_line(), " VERSION \t\r");
  expect_line(reader.read_next_line(), "\r");
}

TEST(DependencyReader, NulCutsItsLineAndLeavesTheBytesAlone) {
  constexpr std::string_view kBytes("ab\0cd\nef\n", 9);
  auto buffer = std::make_unique<char[]>(kBytes.size());
  std::memcpy(buffer.get(), kBytes.data(), kBytes.size());
  const char* const bytes = buffer.get();
  vtuDependencyReader reader(std::move(buffer), static_cast<std::uint32_t>(kBytes.size()));
  EXPECT_EQ(buffer.get(), nullptr);

  const utString cut = reader.read_next_line();
  expect_line(cut, "ab");
  EXPECT_EQ(cut.length(), 2u);
  expect_line(reader.read_next_line(), "ef");
  EXPECT_TRUE(reader.read_next_line().is_null());
  EXPECT_EQ(std::string_view(bytes, kBytes.size()), kBytes);
}

}  // namespace
