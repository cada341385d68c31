// The character-dependent services behind CString and CStringW: how far one character reaches,
// conversion between narrow text in the ANSI code page, wide text and UTF-8, and case mapping.
// Internal to libvtplatform.so.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "win32/text/code_pages.h"

namespace vtplatform {

// Measures characters in a string's code units. Narrow text is in the ANSI code page, where a
// character may take several bytes; wide text has one character per code unit.
template <typename Char>
class CharMeasure;

template <>
class CharMeasure<char> {
 public:
  CharMeasure() : code_page_(ansi_code_page()) {}

  // True when every character is one code unit, so that plain code-unit searches are exact.
  bool one_unit_per_char() const { return code_page_.is_single_byte(); }

  // Code units of the character at `text`; 1 for a byte that starts no valid character, and
  // never more than `remaining` (which must not be 0).
  std::size_t operator()(const char* text, std::size_t remaining) const {
    return one_unit_per_char() ? 1 : code_page_.char_length(text, remaining);
  }

 private:
  const CodePage& code_page_;
};

template <>
class CharMeasure<wchar_t> {
 public:
  bool one_unit_per_char() const { return true; }
  std::size_t operator()(const wchar_t*, std::size_t) const { return 1; }
};

// Wide text in the ANSI code page; '?' stands for each character the code page cannot hold.
std::string ansi_from_wide(std::wstring_view wide);
// ANSI code page text as wide text; U+FFFD stands for each byte sequence that is not valid.
std::wstring wide_from_ansi(std::string_view ansi);

// UTF-8 text in the ANSI code page ('?' for what it cannot hold) or as wide text.
std::string ansi_from_utf8(std::string_view utf8);
std::wstring wide_from_utf8(std::string_view utf8);

enum class CaseMapping { kLower, kUpper };

// Maps every character to its simple lower or upper case. In narrow text a character changes
// only when it decodes in the ANSI code page and its mapping encodes there again; every other
// byte stays as it is.
void map_case(std::string& ansi, CaseMapping mapping);
void map_case(std::wstring& wide, CaseMapping mapping);

}  // namespace vtplatform
