// vtuDependencyReader: cuts the bytes of a "FOPDependencies" stream into lines and record tags.
#pragma once

#include <cstdint>
#include <memory>

#include "vtutils/export.h"
#include "vtutils/platform/base.h"

// The stream is a sequence of lines, each ended by one line feed (0x0A); a record is a blank
// line, a tag line and the tag's value lines. The reader works in place on one buffer that it
// owns and hands out each line as a utString.
//
// Two kinds of nothing are told apart: the null string means that there is no line (the reader
// is at the end of its bytes), an empty string is a blank line. A carriage return is an ordinary
// byte of its line, and no white space is trimmed. Bytes after the last line feed form an
// unfinished line, which is consumed but never returned.
//
// Call read_next_tag once per record, then read_next_line once per value line of that record.
class VTUTILS_API vtuDependencyReader {
 public:
  // Takes over `buffer`, which holds `length` bytes; the caller's pointer is left empty. The
  // reader starts at the first byte and never changes the bytes.
  vtuDependencyReader(std::unique_ptr<char[]> buffer, std::uint32_t length);
  ~vtuDependencyReader();
  vtuDependencyReader(const vtuDependencyReader&) = delete;
  vtuDependencyReader& operator=(const vtuDependencyReader&) = delete;

  // The next line without its line feed, cut at a NUL inside it; the null string when no line
  // feed is left.
  utString read_next_line();
  // The line that follows the next blank line, whatever it holds (a blank line too). The lines
  // before that blank line are passed over. The null string when the bytes end first.
  utString read_next_tag();

 private:
  std::unique_ptr<char[]> buffer_;
  std::uint32_t length_;
  std::uint32_t position_ = 0;  // index of the next byte to read, never above length_
};
