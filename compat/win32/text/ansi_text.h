// Narrow text in the ANSI code page, read one character at a time as Windows reads it. In a
// double-byte code page the second byte of a character can be '\\', '|', ']' or an ASCII letter;
// the searches and comparisons here never take such a trail byte for that character. Internal to
// libvtplatform.so: the shell path functions, file searches, the registry and INI files, command
// lines and the file dialog scan their text through it.
#pragma once

#include <cstddef>
#include <string_view>

#include "win32/text/code_pages.h"

namespace vtplatform {

// A view of narrow text with searches for ASCII characters (one byte in every code page) that
// find only whole characters. Where the code page keeps ASCII bytes self-contained (single-byte
// pages and UTF-8) they are plain byte searches; elsewhere they walk the text with the code
// page's character walker. Positions given to the searches must start a character.
class AnsiText {
 public:
  explicit AnsiText(std::string_view text, const CodePage& page = ansi_code_page())
      : text_(text), page_(page) {}

  // The position after the character that starts at `at` (the text's size at the end).
  std::size_t next(std::size_t at) const {
    return at + page_.char_length(text_.data() + at, text_.size() - at);
  }

  // Where the first character at or after `from` that is one of the ASCII characters of `set`
  // starts; npos when there is none.
  std::size_t find_first_of(std::string_view set, std::size_t from = 0) const;
  std::size_t find(char c, std::size_t from = 0) const { return find_first_of({&c, 1}, from); }

  // Where the last character that is one of the ASCII characters of `set` starts; npos when
  // there is none.
  std::size_t find_last_of(std::string_view set) const;
  std::size_t rfind(char c) const { return find_last_of({&c, 1}); }

  // Whether a character starts at `at` and is the ASCII character `c`.
  bool has_char_at(std::size_t at, char c) const;

  // The first `count` characters, or the whole text when it has fewer.
  std::string_view first_chars(std::size_t count) const;

  // Whether the text ends in a lead byte without its trail byte. An ASCII character written after
  // such text, a closing quote or bracket, would be read as that trail byte.
  bool ends_in_lead_byte() const;

 private:
  std::string_view text_;
  const CodePage& page_;
};

inline char ascii_lower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Whether two names in the ANSI code page are the same when the case of ASCII letters is
// ignored, as the registry and INI files compare key, section and value names. Every other
// character, non-ASCII letters and every character of two bytes included, must match exactly.
bool same_name(std::string_view a, std::string_view b);

}  // namespace vtplatform
