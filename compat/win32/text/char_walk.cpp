// CharNextA, CharNextExA, CharPrevA and the lead-byte tests, on the character walker of the
// layer's code pages.
#include <cstring>

#include "vtplatform/win32/code_page.h"
#include "vtplatform/win32/error.h"
#include "win32/text/code_pages.h"

namespace {

// No character of any code page is longer than this; the walker never needs to see further.
constexpr std::size_t kLongestCharacter = 4;

LPSTR next_character(const vtplatform::CodePage& page, LPCSTR current) {
  const std::size_t remaining = strnlen(current, kLongestCharacter);
  return const_cast<LPSTR>(current) + page.char_length(current, remaining);
}

}  // namespace

BOOL IsDBCSLeadByte(BYTE byte) { return vtplatform::ansi_code_page().is_lead_byte(byte); }

BOOL IsDBCSLeadByteEx(UINT code_page, BYTE byte) {
  const vtplatform::CodePage* page = vtplatform::find_code_page(code_page);
  if (page == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  return page->is_lead_byte(byte);
}

LPSTR CharNextA(LPCSTR current) {
  if (current == nullptr) return nullptr;
  return next_character(vtplatform::ansi_code_page(), current);
}

LPSTR CharNextExA(WORD code_page, LPCSTR current, DWORD /*flags*/) {
  if (current == nullptr) return nullptr;
  const vtplatform::CodePage* page = vtplatform::find_code_page(code_page);
  if (page == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return const_cast<LPSTR>(current);
  }
  return next_character(*page, current);
}

LPSTR CharPrevA(LPCSTR start, LPCSTR current) {
  if (start == nullptr || current == nullptr) return nullptr;
  const vtplatform::CodePage& page = vtplatform::ansi_code_page();
  // Only a walk from the start tells a trail byte from a character of its own.
  LPCSTR previous = start;
  for (LPCSTR at = start; at < current;) {
    previous = at;
    at += page.char_length(at, static_cast<std::size_t>(current - at));
  }
  return const_cast<LPSTR>(previous);
}
