// Names as vtutil prints them in its text output: one line each, whatever bytes they hold.
#pragma once

#include <string>
#include <string_view>

// Whether `text` is valid text in the ANSI code page.
bool valid_text(std::string_view text);

// `name` with control characters written as "\n", "\t", "\r" or "\xHH", and, when the name is
// not valid text in the ANSI code page, every byte above 0x7F as "\xHH". A '\' stays as it is,
// since Windows paths are full of them: the text output is for people, and --json gives names
// exactly.
std::string escaped(std::string_view name);
