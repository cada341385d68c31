// Tests of the command-line splitter: blanks, each kind of quoting and escaping, and the
// characters a shell would expand but the splitter keeps.
#include "win32/launch/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using vtplatform::split_command_line;
using Words = std::vector<std::string>;

TEST(SplitCommandLine, SplitsLikeAShellThatExpandsNothing) {
  const struct {
    const char* line;
    Words words;
  } cases[] = {
      // Blanks separate words.
      {"", {}},
      {" \t\n ", {}},
      {"prog", {"prog"}},
      {"  prog   a\tb\nc  ", {"prog", "a", "b", "c"}},
      // Quotes join and keep text.
      {"'a b' \"c d\"", {"a b", "c d"}},
      {"x'y z'\"w\"v", {"xy zwv"}},  // quoted parts join the text around them
      {"'' \"\" a", {"", "", "a"}},  // empty quotes still make a word
      {"'a\\b \"c\"'", {"a\\b \"c\""}},  // nothing is special inside single quotes
      {"\"it's\"", {"it's"}},
      {"'/opt/my tools/run' --flag", {"/opt/my tools/run", "--flag"}},
      // Backslashes escape.
      {"a\\ b", {"a b"}},
      {"\\'a\\\"", {"'a\""}},
      {"\\\\", {"\\"}},
      {"a\\\nb", {"ab"}},  // line continuation
      {"end\\", {"end\\"}},  // nothing left to escape: the backslash stays
      // Inside double quotes only $ ` " \ and newline are escaped.
      {"\"\\$ \\` \\\" \\\\ \\a \\n\"", {"$ ` \" \\ \\a \\n"}},
      {"\"a\\\nb\"", {"ab"}},
      // Nothing is expanded.
      {"echo $HOME ~ *.txt ?", {"echo", "$HOME", "~", "*.txt", "?"}},
      {"a;b|c&d <e >f (g) #h `i`", {"a;b|c&d", "<e", ">f", "(g)", "#h", "`i`"}},
      {"\"$PATH\"", {"$PATH"}},
  };
  for (const auto& [line, words] : cases) {
    const auto split = split_command_line(line);
    ASSERT_TRUE(split.has_value()) << line;
    EXPECT_EQ(*split, words) << line;
  }
}

TEST(SplitCommandLine, RefusesOpenQuotes) {
  for (const char* line : {"'abc", "a \"bc", "\"a\\\"", "ok 'x'y'", "\"\\\""}) {
    EXPECT_FALSE(split_command_line(line).has_value()) << line;
  }
}

}  // namespace
