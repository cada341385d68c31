// MultiByteToWideChar, WideCharToMultiByte and GetACP on the layer's code pages.
#include <cstring>
#include <cwchar>
#include <limits>
#include <string>

#include "vtplatform/win32/code_page.h"
#include "vtplatform/win32/error.h"
#include "win32/core/exception_barrier.h"
#include "win32/text/code_pages.h"

namespace {

constexpr DWORD MB_PRECOMPOSED = 0x01;

// Copies converted bytes into a caller's buffer by the Win32 counting rules: a zero capacity
// asks for the size, a capacity that is too small fails with ERROR_INSUFFICIENT_BUFFER.
int deliver(const std::string& converted, char* buffer, int capacity) {
  const auto length = static_cast<int>(converted.size());
  if (capacity == 0) return length;
  if (length > capacity) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  std::memcpy(buffer, converted.data(), converted.size());
  return length;
}

int fail(DWORD error) {
  SetLastError(error);
  return 0;
}

int multi_byte_to_wide_char(UINT code_page, DWORD flags, LPCSTR source, int source_length,
                            LPWSTR wide, int wide_length) {
  if (source == nullptr || source_length == 0 || source_length < -1 || wide_length < 0 ||
      (wide_length > 0 && wide == nullptr)) {
    return fail(ERROR_INVALID_PARAMETER);
  }
  const vtplatform::CodePage* page = vtplatform::find_code_page(code_page);
  if (page == nullptr) return fail(ERROR_INVALID_PARAMETER);
  const DWORD allowed = page->is_utf8() ? MB_ERR_INVALID_CHARS : MB_ERR_INVALID_CHARS | MB_PRECOMPOSED;
  if ((flags & ~allowed) != 0) return fail(ERROR_INVALID_FLAGS);

  const std::size_t length =
      source_length == -1 ? std::strlen(source) + 1 : static_cast<std::size_t>(source_length);
  // Converted straight into the caller's buffer: short texts never touch the heap.
  bool lossy = false;
  const std::size_t needed = page->decode_to_wide({source, length}, wide,
                                                  static_cast<std::size_t>(wide_length), lossy);
  if (lossy && (flags & MB_ERR_INVALID_CHARS) != 0) return fail(ERROR_NO_UNICODE_TRANSLATION);
  if (needed > static_cast<std::size_t>(std::numeric_limits<int>::max())) {
    return fail(ERROR_INVALID_PARAMETER);
  }
  if (wide_length != 0 && needed > static_cast<std::size_t>(wide_length)) {
    return fail(ERROR_INSUFFICIENT_BUFFER);
  }
  return static_cast<int>(needed);
}

int wide_char_to_multi_byte(UINT code_page, DWORD flags, LPCWSTR wide, int wide_length,
                            LPSTR bytes, int byte_length, LPCSTR default_char,
                            LPBOOL used_default_char) {
  if (wide == nullptr || wide_length == 0 || wide_length < -1 || byte_length < 0 ||
      (byte_length > 0 && bytes == nullptr)) {
    return fail(ERROR_INVALID_PARAMETER);
  }
  const vtplatform::CodePage* page = vtplatform::find_code_page(code_page);
  if (page == nullptr) return fail(ERROR_INVALID_PARAMETER);
  if (page->is_utf8()) {
    if ((flags & ~WC_ERR_INVALID_CHARS) != 0) return fail(ERROR_INVALID_FLAGS);
    if (default_char != nullptr || used_default_char != nullptr) {
      return fail(ERROR_INVALID_PARAMETER);
    }
  } else if ((flags & ~WC_NO_BEST_FIT_CHARS) != 0) {
    return fail(ERROR_INVALID_FLAGS);
  }

  const std::size_t length =
      wide_length == -1 ? std::wcslen(wide) + 1 : static_cast<std::size_t>(wide_length);
  bool lossy = false;
  const std::u16string text = vtplatform::utf16_from_wide({wide, length}, lossy);
  const std::string converted =
      page->encode(text, lossy, default_char != nullptr ? *default_char : '?');
  if (lossy && (flags & WC_ERR_INVALID_CHARS) != 0) return fail(ERROR_NO_UNICODE_TRANSLATION);
  if (used_default_char != nullptr) *used_default_char = lossy ? TRUE : FALSE;
  return deliver(converted, bytes, byte_length);
}

}  // namespace

UINT GetACP() { return vtplatform::ansi_code_page().id(); }

// A code page whose converter ICU cannot open or run fails as a code page the layer does not know.
int MultiByteToWideChar(UINT code_page, DWORD flags, LPCSTR source, int source_length,
                        LPWSTR wide, int wide_length) {
  return vtplatform::without_exceptions(0, ERROR_INVALID_PARAMETER, [&] {
    return multi_byte_to_wide_char(code_page, flags, source, source_length, wide, wide_length);
  });
}

int WideCharToMultiByte(UINT code_page, DWORD flags, LPCWSTR wide, int wide_length, LPSTR bytes,
                        int byte_length, LPCSTR default_char, LPBOOL used_default_char) {
  return vtplatform::without_exceptions(0, ERROR_INVALID_PARAMETER, [&] {
    return wide_char_to_multi_byte(code_page, flags, wide, wide_length, bytes, byte_length,
                                   default_char, used_default_char);
  });
}
