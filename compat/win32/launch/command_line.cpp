// The command-line splitter: one pass over the text, building the current word.
#include "win32/launch/command_line.h"

#include "win32/text/ansi_text.h"

namespace vtplatform {
namespace {

bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\n'; }

// The characters that a backslash escapes inside double quotes.
bool escapes_in_double_quotes(char c) {
  return c == '$' || c == '`' || c == '"' || c == '\\' || c == '\n';
}

}  // namespace

std::optional<std::vector<std::string>> split_command_line(std::string_view command_line) {
  // The line is text in the ANSI code page: a character of two bytes goes into the word whole,
  // so that its trail byte is never taken for a backslash.
  const AnsiText characters(command_line);
  std::vector<std::string> words;
  std::string word;
  bool in_word = false;  // set by any character of a word, quotes included, so '' is a word
  const std::size_t size = command_line.size();
  const auto take_char = [&](std::size_t& i) {
    const std::size_t end = characters.next(i);
    word.append(command_line.substr(i, end - i));
    i = end - 1;
  };
  for (std::size_t i = 0; i < size; ++i) {
    const char c = command_line[i];
    if (is_blank(c)) {
      if (in_word) words.push_back(std::move(word));
      word.clear();
      in_word = false;
      continue;
    }
    if (c == '\\' && i + 1 < size) {
      ++i;
      if (command_line[i] == '\n') continue;  // a line continuation joins the lines
      take_char(i);
      in_word = true;
      continue;
    }
    in_word = true;
    if (c == '\'') {
      const std::size_t close = command_line.find('\'', i + 1);
      if (close == std::string_view::npos) return std::nullopt;
      word.append(command_line.substr(i + 1, close - i - 1));
      i = close;
    } else if (c == '"') {
      for (++i;; ++i) {
        if (i == size) return std::nullopt;
        const char inner = command_line[i];
        if (inner == '"') break;
        if (inner == '\\' && i + 1 < size && escapes_in_double_quotes(command_line[i + 1])) {
          ++i;
          if (command_line[i] != '\n') word += command_line[i];
        } else {
          take_char(i);
        }
      }
    } else {
      take_char(i);
    }
  }
  if (in_word) words.push_back(std::move(word));
  return words;
}

}  // namespace vtplatform
