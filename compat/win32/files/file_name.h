// Wide file names on Linux. A file name is bytes; its wide form is the ANSI code page's decoding
// of those bytes, so that the narrow and the wide functions name the same file.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vtplatform {

// The wide form of a narrow file name.
std::wstring wide_file_name(std::string_view name);

// The bytes of a wide file name, or nothing when the ANSI code page cannot hold every character
// (no file can have that name).
std::optional<std::string> narrow_file_name(std::wstring_view name);

// Copies `text` and a terminator into `buffer` of `capacity` characters. Returns the length
// without the terminator, or, when it does not fit, the capacity needed with the terminator and
// leaves the buffer unchanged: the counting rule of GetCurrentDirectory and its relatives.
template <class Char>
unsigned long copy_out(std::basic_string_view<Char> text, Char* buffer, unsigned long capacity) {
  if (buffer == nullptr || text.size() + 1 > capacity) return text.size() + 1;
  text.copy(buffer, text.size());
  buffer[text.size()] = Char{};
  return text.size();
}

}  // namespace vtplatform
