// Cutting text read in blocks after whole characters of its code page.
#include "character_cut.h"

#include <algorithm>

#include "vtutils/platform/text.h"

namespace {

// No character of any code page is longer.
constexpr std::size_t kLongestCharacter = 4;

unsigned char byte_at(std::string_view bytes, std::size_t at) {
  return static_cast<unsigned char>(bytes[at]);
}

// A lead byte starts a decoder's step; a sequence that it announces longer than the bytes after
// it is carried over. Continuation bytes beyond a sequence's length are each a step of their own.
std::size_t utf8_whole_length(std::string_view bytes) {
  const std::size_t size = bytes.size();
  for (std::size_t back = 1; back <= std::min(kLongestCharacter - 1, size); ++back) {
    const unsigned char byte = byte_at(bytes, size - back);
    if ((byte & 0xC0) == 0x80) continue;
    const std::size_t length = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
    return length > back ? size - back : size;
  }
  return size;
}

// Whether every byte of the code page is a character of its own: no byte from 0x80 up starts a
// longer character, even with bytes after it that would complete one in a multi-byte page.
bool is_single_byte(WORD code_page) {
  for (int byte = 0x80; byte <= 0xFF; ++byte) {
    const char text[] = {static_cast<char>(byte), '\xA1', '\xA1', '\xA1', '\0'};
    if (CharNextExA(code_page, text, 0) > text + 1) return false;
  }
  return true;
}

}  // namespace

CharacterCut::CharacterCut(UINT code_page)
    : code_page_(static_cast<WORD>(
          code_page == CP_ACP || code_page == CP_THREAD_ACP ? GetACP() : code_page)),
      kind_(code_page_ == CP_UTF8            ? Kind::utf8
            : is_single_byte(code_page_) ? Kind::single_byte
                                         : Kind::multi_byte) {}

std::size_t CharacterCut::whole_length(std::string_view bytes) const {
  if (kind_ == Kind::single_byte) return bytes.size();
  if (kind_ == Kind::utf8) return utf8_whole_length(bytes);
  // No code page uses a byte below 0x30 inside a longer character (trail bytes start at 0x40,
  // GB18030's digit bytes at 0x30), so after a line end, a tab or a space every decoder starts
  // afresh, whatever came before, invalid sequences included.
  for (std::size_t at = bytes.size(); at > 0; --at) {
    if (byte_at(bytes, at - 1) < 0x30) return at;
  }
  return walked_length(bytes);
}

// A block without such a byte is walked a character at a time from its start. It holds no NUL
// either, so the walker, which looks as far ahead as the longest character, stays inside the
// block as long as it stops that far before the end. Walker and decoder agree on valid text; on
// invalid text they may group bytes differently, so there the cut may split what the decoder
// replaces as one.
std::size_t CharacterCut::walked_length(std::string_view bytes) const {
  std::size_t at = 0;
  while (bytes.size() - at >= kLongestCharacter) {
    at = static_cast<std::size_t>(CharNextExA(code_page_, bytes.data() + at, 0) - bytes.data());
  }
  return at;
}
