// Tests of command lines under each ANSI code page of the test table: a double-byte character
// whose trail byte looks like a backslash stays whole.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "testing/code_page_samples.h"
#include "win32/launch/command_line.h"

namespace {

using vtutils::testing::code_page_samples;

TEST(AnsiCodePage, CommandLinesKeepCharactersWhole) {
  const std::string word = code_page_samples().word.ansi;
  // Unquoted, escaped and inside double quotes, a trail byte '\\' neither escapes nor goes.
  const auto words =
      vtplatform::split_command_line("prog " + word + " " + word + "\\ x \"" + word + "\"");
  ASSERT_TRUE(words.has_value());
  EXPECT_EQ(*words, (std::vector<std::string>{"prog", word, word + " x", word}));
}

}  // namespace
