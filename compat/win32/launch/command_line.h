// Splitting a command line into the words of a program's argument vector.
//
// The words are those a POSIX shell would make of a simple command, but nothing is expanded or
// interpreted beyond quoting: blanks (space, tab, newline) separate words; a backslash outside
// quotes takes the next character literally (a backslash-newline pair disappears, and a
// backslash at the very end stays a backslash); single quotes keep everything up to the next
// single quote; inside double quotes a backslash escapes only '$', '`', '"', '\' and newline and
// is otherwise an ordinary character. '$', '*', '?', '~', '#', ';', '|', '&', '<', '>' and
// parentheses are ordinary characters. A pair of quotes with nothing between makes an empty word.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vtplatform {

// The words of `command_line`; nothing when a single or double quote is left open.
std::optional<std::vector<std::string>> split_command_line(std::string_view command_line);

}  // namespace vtplatform
