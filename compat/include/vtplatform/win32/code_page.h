// Code pages and the conversions between narrow and wide text.
//
// The ANSI code page is the codeset of the user's locale, read once from LC_ALL, LC_CTYPE or LANG
// (the first that is set and not empty). A plain C or POSIX locale, or no locale at all, means
// UTF-8. Conversions run on ICU converters and substitute what a code page cannot hold the way
// Windows does: '?' in a narrow code page, U+FFFD in UTF-8 and in wide text.
#pragma once

#include "vtplatform/export.h"
#include "vtplatform/win32/types.h"

inline constexpr UINT CP_ACP = 0;
inline constexpr UINT CP_OEMCP = 1;
inline constexpr UINT CP_THREAD_ACP = 3;
inline constexpr UINT CP_UTF8 = 65001;

// MultiByteToWideChar flags.
inline constexpr DWORD MB_ERR_INVALID_CHARS = 0x08;
// WideCharToMultiByte flags.
inline constexpr DWORD WC_ERR_INVALID_CHARS = 0x80;
inline constexpr DWORD WC_NO_BEST_FIT_CHARS = 0x400;

// The identifier of the ANSI code page (1252, 65001, ...).
VTPLATFORM_API UINT GetACP();

// Converts `source_length` bytes (-1: up to and including the terminating NUL) to wide text.
// With `wide_length` 0 it returns the number of wide characters needed; otherwise it writes at
// most `wide_length` and returns how many it wrote. Returns 0 on failure (GetLastError tells why:
// ERROR_INSUFFICIENT_BUFFER, ERROR_INVALID_PARAMETER, ERROR_INVALID_FLAGS, or
// ERROR_NO_UNICODE_TRANSLATION when MB_ERR_INVALID_CHARS is given and the bytes are not valid).
VTPLATFORM_API int MultiByteToWideChar(UINT code_page, DWORD flags, LPCSTR source, int source_length,
                                       LPWSTR wide, int wide_length);

// Converts wide text to bytes in a code page; the counting and failure rules are those of
// MultiByteToWideChar. `default_char` replaces the substitute '?' and `used_default_char` learns
// whether a substitution happened; both must be null for CP_UTF8.
VTPLATFORM_API int WideCharToMultiByte(UINT code_page, DWORD flags, LPCWSTR wide, int wide_length,
                                       LPSTR bytes, int byte_length, LPCSTR default_char,
                                       LPBOOL used_default_char);

// Walking narrow text a character at a time. In the double-byte code pages (932, 936, 949, 950)
// a lead byte and the byte after it are one character, and that second byte may look like '\\',
// '|' or an ASCII letter; in UTF-8 a whole valid sequence is one character.

// Whether `byte` is a lead byte of the ANSI code page: FALSE in every code page that is not
// double-byte, UTF-8 included.
VTPLATFORM_API BOOL IsDBCSLeadByte(BYTE byte);
// The same for `code_page`; FALSE with ERROR_INVALID_PARAMETER for a code page the layer does not
// know.
VTPLATFORM_API BOOL IsDBCSLeadByteEx(UINT code_page, BYTE byte);
// The character after the one at `current` in the ANSI code page; `current` itself at the
// terminating NUL (and for null). A lead byte followed by the NUL is one character of its own.
VTPLATFORM_API LPSTR CharNextA(LPCSTR current);
// The character before `current`, found by walking from `start`; `start` when `current` is not
// after it (and null when either is null).
VTPLATFORM_API LPSTR CharPrevA(LPCSTR start, LPCSTR current);
// CharNextA in `code_page`, whatever the ANSI code page is; in EUC-JP and GB18030 a valid
// sequence of up to four bytes is one character. `current` itself, with ERROR_INVALID_PARAMETER,
// for a code page the layer does not know. `flags` is reserved and should be 0.
VTPLATFORM_API LPSTR CharNextExA(WORD code_page, LPCSTR current, DWORD flags);
