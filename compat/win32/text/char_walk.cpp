// CharNextA, CharNextExA, CharPrevA and the lead-byte tests, on the character walker of the
// layer's code pages.
#include <cstring>

#include "vtplatform/win32/code_page.h"
#include "vtplatform/win32/error.h"
#include "win32/core/exception_barrier.h"
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

// A code page whose converter ICU cannot open fails as one the layer does not know.
BOOL IsDBCSLeadByteEx(UINT code_page, BYTE byte) {
  return vtplatform::without_exceptions(FALSE, ERROR_INVALID_PARAMETER, [&]() -> BOOL {
    const vtplatform::CodePage* page = vtplatform::find_code_page(code_page);
    if (page == nullptr) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE;
    }
    return page->is_lead_byte(byte);
  });
}

LPSTR CharNextA(LPCSTR current) {
  if (current == nullptr) return nullptr;
  return next_character(vtplatform::ansi_code_page(), current);
}

LPSTR CharNextExA(WORD code_page, LPCSTR current, DWORD /*flags*/) {
  if (current == nullptr) return nullptr;
  const auto unmoved = const_cast<LPSTR>(current);
  return vtplatform::without_exceptions(unmoved, ERROR_INVALID_PARAMETER, [&] {
    const vtplatform::CodePage* page = vtplatform::find_code_page(code_page);
    if (page == nullptr) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return unmoved;
    }
    return next_character(*page, current);
  });
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
