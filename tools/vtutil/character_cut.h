// Where text in a code page that is read in blocks can be cut so that each piece converts on its
// own exactly as it would within the whole input.
#pragma once

#include <cstddef>
#include <string_view>

#include "vtutils/platform/win32_types.h"

// Finds, in bytes of one code page that start where its decoder starts afresh, the last place
// where the decoder starts afresh again: after a whole character, and after whatever bytes the
// decoder takes for one invalid sequence. What comes after the cut waits for the next block.
class CharacterCut {
 public:
  explicit CharacterCut(UINT code_page);

  // The length of the part of `bytes` that converts on its own as it would within the whole
  // input: less than the size when the last character may go on in the next block.
  std::size_t whole_length(std::string_view bytes) const;

 private:
  enum class Kind { single_byte, utf8, multi_byte };

  std::size_t walked_length(std::string_view bytes) const;

  WORD code_page_;
  Kind kind_;
};
