// Code pages inside the replacement layer: the ANSI code page chosen from the locale environment,
// the conversions between bytes in a code page and UTF-16 on ICU converters, and the move between
// wide (UTF-32) text and UTF-16. Internal to libvtplatform.so; the Win32 conversion calls, CString
// and the string encodings are all built on it.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

#include "vtplatform/win32/types.h"

namespace vtplatform {

// One code page: its Windows identifier and the ICU converter that implements it. Instances live
// for the whole process; converters are opened per thread because ICU converters keep state.
class CodePage {
 public:
  // Opens the ICU converter once to learn the code page's shape. Throws std::runtime_error when
  // ICU does not know the converter.
  CodePage(UINT id, std::string icu_name);

  UINT id() const { return id_; }
  const std::string& icu_name() const { return icu_name_; }
  bool is_single_byte() const { return max_char_size_ == 1; }
  bool is_utf8() const { return id_ == 65001; }
  // The double-byte pages (932, 936, 949, 950, EUC-KR): a character is one byte, or a lead byte
  // and the byte after it, which may be any byte from 0x40 up: '\\', '|', ']' or an ASCII letter.
  bool is_double_byte() const { return max_char_size_ == 2; }
  // Whether `byte` starts a two-byte character: the lead-byte ranges of the converter's own table
  // (932: 81-9F and E0-FC; 936, 949, 950: 81-FE). Always false outside the double-byte pages.
  bool is_lead_byte(unsigned char byte) const { return lead_bytes_[byte]; }
  // True where a byte below 0x80 is always an ASCII character of its own and never part of a
  // longer one (single-byte pages and UTF-8), so that byte searches for ASCII characters are
  // exact. Elsewhere text has to be walked with char_length.
  bool ascii_is_self_contained() const { return is_single_byte() || is_utf8(); }

  // Byte length of the character that starts at `text`, never more than `remaining` and never 0
  // while `remaining` is not 0. This is the one character walker of the layer, with the rules of
  // Windows' CharNextA: in a double-byte page a lead byte and the byte after it are one character
  // unless that byte is NUL; in UTF-8 a whole valid sequence is one character; in other
  // multi-byte pages (EUC-JP, GB18030) a valid sequence is. A byte that starts no character
  // counts as one.
  std::size_t char_length(const char* text, std::size_t remaining) const;

  // Bytes to UTF-16. A byte sequence without a mapping becomes U+FFFD and sets `lossy`.
  std::u16string decode(std::string_view bytes, bool& lossy) const;

  // Bytes to wide text, written straight into `wide` (at most `capacity` characters) without
  // allocating. Returns the number of wide characters the whole text needs, which is more than
  // `capacity` when it did not fit. Substitution as in decode.
  std::size_t decode_to_wide(std::string_view bytes, wchar_t* wide, std::size_t capacity,
                             bool& lossy) const;
  // The same into a new string.
  std::wstring decode_wide(std::string_view bytes, bool& lossy) const;

  // UTF-16 to bytes. A character without a mapping becomes `substitute` (in UTF-8 an unpaired
  // surrogate becomes U+FFFD) and sets `lossy`.
  std::string encode(std::u16string_view text, bool& lossy, char substitute = '?') const;

 private:
  UINT id_;
  std::string icu_name_;
  int max_char_size_ = 1;
  // For single-byte code pages: the character of every byte, kNoCharacter where there is none.
  std::array<char32_t, 256> byte_characters_{};
  std::array<bool, 256> lead_bytes_{};
};

// The ANSI code page, chosen on first use from LC_ALL, LC_CTYPE or LANG (see docs/linux.md).
const CodePage& ansi_code_page();

// UTF-8, code page 65001.
const CodePage& utf8_code_page();

// The code page for a Win32 identifier: CP_ACP and CP_THREAD_ACP name the ANSI code page. Null
// for an identifier the layer does not know.
const CodePage* find_code_page(UINT id);

// Wide text (UTF-32 on Linux) to UTF-16 and back. Values that are not Unicode scalar values
// become U+FFFD and set `lossy`.
std::u16string utf16_from_wide(std::wstring_view wide, bool& lossy);
std::wstring wide_from_utf16(std::u16string_view text, bool& lossy);

}  // namespace vtplatform
