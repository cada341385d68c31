// Locale-aware comparison of wide strings on ICU collation.
//
// The system and user default locales are the collation locale of the environment: the first of
// LC_ALL, LC_COLLATE and LANG that is set, without its codeset and modifier ("de_DE.UTF-8" is
// German); C, POSIX and no locale mean ICU's root collation, whose order of letters is the same
// for capitals and small letters. Each thread opens a collator once for every locale and set of
// flags it compares with and keeps it; comparing allocates nothing for texts of up to 255
// characters.
#pragma once

#include "vtplatform/export.h"
#include "vtplatform/win32/types.h"

inline constexpr DWORD NORM_IGNORECASE = 0x00000001;      // letters without regard to case
inline constexpr DWORD NORM_IGNORENONSPACE = 0x00000002;  // without accents
inline constexpr DWORD NORM_IGNORESYMBOLS = 0x00000004;   // punctuation and spaces ignored
inline constexpr DWORD SORT_DIGITSASNUMBERS = 0x00000008; // runs of digits by numeric value
inline constexpr DWORD LINGUISTIC_IGNORECASE = 0x00000010;
inline constexpr DWORD LINGUISTIC_IGNOREDIACRITIC = 0x00000020;
inline constexpr DWORD SORT_STRINGSORT = 0x00001000;      // ICU always sorts this way
inline constexpr DWORD LCMAP_SORTKEY = 0x00000400;

inline constexpr int CSTR_LESS_THAN = 1;
inline constexpr int CSTR_EQUAL = 2;
inline constexpr int CSTR_GREATER_THAN = 3;

// Locale names: the system default, the user default (a null name) and the invariant locale
// (ICU's root collation). Any other name is a BCP 47 language tag such as L"de-DE".
#define LOCALE_NAME_SYSTEM_DEFAULT L"!x-sys-default-locale"
#define LOCALE_NAME_USER_DEFAULT nullptr
#define LOCALE_NAME_INVARIANT L""

struct NLSVERSIONINFO;

// Compares two texts (a length of -1: NUL-terminated) in a locale's linguistic order, case-
// sensitively unless a flag says otherwise. Returns CSTR_LESS_THAN, CSTR_EQUAL or
// CSTR_GREATER_THAN; 0 on failure with ERROR_INVALID_PARAMETER (a null text, a bad length, a
// locale name that is no language tag, version information given) or ERROR_INVALID_FLAGS.
VTPLATFORM_API int CompareStringEx(LPCWSTR locale_name, DWORD flags, LPCWSTR text1, int length1,
                                   LPCWSTR text2, int length2, NLSVERSIONINFO* version,
                                   LPVOID reserved, LPARAM param);

// With LCMAP_SORTKEY (the only mapping offered) and the comparison flags of CompareStringEx:
// writes the sort key of the text, bytes whose order (memcmp over the shorter key, then the
// shorter key first) is CompareStringEx's order of the texts. `destination` receives bytes and
// `destination_bytes` counts bytes; 0 asks for the size. Returns the key's length in bytes, or 0
// on failure (ERROR_INSUFFICIENT_BUFFER, ERROR_INVALID_PARAMETER, ERROR_INVALID_FLAGS).
VTPLATFORM_API int LCMapStringEx(LPCWSTR locale_name, DWORD flags, LPCWSTR source,
                                 int source_length, LPWSTR destination, int destination_bytes,
                                 NLSVERSIONINFO* version, LPVOID reserved, LPARAM sort_handle);

// The file-name order: the default locale, digits by numeric value, letters without regard to
// case. Negative, 0 or positive. A null text sorts before every text, two null texts are equal.
VTPLATFORM_API int StrCmpLogicalW(LPCWSTR text1, LPCWSTR text2);
