// Fuzzes the command-line splitter: any text is split into words or refused for an open quote,
// without fault. The words take the text's bytes in order and invent none, and the words quoted
// back in single quotes and joined by blanks split again into the same words. The splitter walks
// the text by characters of the ANSI code page, so scripts/fuzz runs this target under a
// double-byte locale as well.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "win32/launch/command_line.h"

namespace {

// The word as a shell quotes it: in single quotes, each single quote in it written as '\''.
std::string single_quoted(std::string_view word) {
  std::string quoted = "'";
  for (const char c : word) {
    if (c == '\'') {
      quoted += "'\\''";
    } else {
      quoted += c;
    }
  }
  return quoted += '\'';
}

// Finds the bytes of `part` in `text` in order from `at` on, and moves `at` past the last.
bool take_in_order(std::string_view text, std::size_t& at, std::string_view part) {
  for (const char c : part) {
    at = text.find(c, at);
    if (at == std::string_view::npos) return false;
    ++at;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view line(reinterpret_cast<const char*>(data), size);
  const auto words = vtplatform::split_command_line(line);
  if (!words) return 0;

  std::size_t at = 0;
  std::string joined;
  for (const std::string& word : *words) {
    if (!take_in_order(line, at, word)) __builtin_trap();
    if (&word != &words->front()) joined += ' ';
    joined += single_quoted(word);
  }
  const auto again = vtplatform::split_command_line(joined);
  if (!again || *again != *words) __builtin_trap();
  return 0;
}
