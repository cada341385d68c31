// Tests of the command-line splitter: blanks, each kind of quoting and escaping, and the
// characters a shell would expand but the splitter keeps.
#include "win32/launch/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using vtplatform::split_command_line;
using Words = std::vector<std::string>;

struct Case {
  const char* line;
  Words words;
};

void expect_words(const std::vector<Case>& cases) {
  for (const auto& [line, words] : cases) {
    const auto split = split_command_line(line);
    ASSERT_TRUE(split.has_value()) << line;
    EXPECT_EQ(*split, words) << line;
  }
}

TEST(SplitCommandLine, BlanksSeparateWords) {
  expect_words({
      {"", {}},
      {" \t\n ", {}},
      {"prog", {"prog"}},
      {"  prog   a\tb\nc  ", {"prog", "a", "b", "c"}},
  });
}

TEST(SplitCommandLine, QuotesJoinAndKeepText) {
  expect_words({
      {"'a b' \"c d\"", {"a b", "c d"}},
      {"x'y z'\"w\"v", {"xy zwv"}},  // quoted parts join the text around them
      {"'' \"\" a", {"", "", "a"}},  // empty quotes still make a word
      {"'a\\b \"c\"'", {"a\\b \"c\""}},  // nothing is special inside single quotes
      {"\"it's\"", {"it's"}},
      {"'/opt/my tools/run' --flag", {"/opt/my tools/run", "--flag"}},
  });
}

TEST(SplitCommandLine, BackslashesEscape) {
  expect_words({
      {"a\\ b", {"a b"}},
      {"\\'a\\\"", {"'a\""}},
      {"\\\\", {"\\"}},
      {"a\\\nb", {"ab"}},  // line continuation
      {"end\\", {"end\\"}},  // nothing left to escape: the backslash stays
      // Inside double quotes only $ ` " \ and newline are escaped.
      {"\"\\$ \\` \\\" \\\\ \\a \\n\"", {"$ ` \" \\ \\a \\n"}},
      {"\"a\\\nb\"", {"ab"}},
  });
}

TEST(SplitCommandLine, NothingIsExpanded) {
  expect_words({
      {"echo $HOME ~ *.txt ?", {"echo", "$HOME", "~", "*.txt", "?"}},
      {"a;b|c&d <e >f (g) #h `i`", {"a;b|c&d", "<e", ">f", "(g)", "#h", "`i`"}},
      {"\"$PATH\"", {"$PATH"}},
  });
}

TEST(SplitCommandLine, RefusesOpenQuotes) {
  for (const char* line : {"'abc", "a \"bc", "\"a\\\"", "ok 'x'y'", "\"\\\""}) {
    EXPECT_FALSE(split_command_line(line).has_value()) << line;
  }
}

}  // namespace
