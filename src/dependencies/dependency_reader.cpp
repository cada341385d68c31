// vtuDependencyReader: lines are found with one scan for the line feed; tags by the blank line
// before them.
#include "vtutils/dependency_reader.h"

#include <cstring>
#include <utility>

vtuDependencyReader::vtuDependencyReader(std::unique_ptr<char[]> buffer, std::uint32_t length)
    : buffer_(std::move(buffer)), length_(length) {}

vtuDependencyReader::~vtuDependencyReader() = default;

utString vtuDependencyReader::read_next_line() {
  if (position_ >= length_) return utString();
  const char* const begin = buffer_.get() + position_;
  const auto* const line_feed =
      static_cast<const char*>(std::memchr(begin, '\n', length_ - position_));
  if (line_feed == nullptr) {
    // An unfinished last line is used up, not returned.
    position_ = length_;
    return utString();
  }
  const auto line_length = static_cast<std::uint32_t>(line_feed - begin);
  position_ += line_length + 1;
  // The line counts as NUL-terminated text: a NUL inside it ends the string there.
  return utString(begin, strnlen(begin, line_length));
}

utString vtuDependencyReader::read_next_tag() {
  if (position_ >= length_) return utString();
  bool after_blank_line = false;
  for (;;) {
    utString line = read_next_line();
    if (after_blank_line) return line;
    if (!line.is_null() && line.length() == 0) after_blank_line = true;
    if (position_ >= length_) return utString();
  }
}
