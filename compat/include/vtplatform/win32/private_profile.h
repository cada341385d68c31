// The private profile functions: settings in INI files of "[section]" headers and "key=value"
// lines.
//
// A file name without '/' names a file in the user's profile folder,
// $XDG_CONFIG_HOME/vtutils/ (~/.config/vtutils/ when $XDG_CONFIG_HOME is unset or not absolute),
// as Windows keeps such files in its own folder; a null name is "win.ini" there. Any other name
// is a path, relative ones to the current directory.
//
// Names of sections and keys compare with ASCII case folding, and values are bytes in the ANSI
// code page of the writing process. Every call reads the file anew, so a change made by another
// process is seen at once. Reads hold a shared lock and changes an exclusive one on
// "<file>.lock" beside the file, and a change replaces the whole file by a rename. A change keeps
// every line it does not touch verbatim (comments, blank lines, lines that are no entry), so a
// damaged file is never made worse.
#pragma once

#include "vtplatform/export.h"
#include "vtplatform/win32/types.h"

// Reads the value of `key` in the section `section` of `file_name` into `buffer`, which has room
// for `size` characters with the terminator; the value loses the blanks around it and one pair of
// quotes around it. Without such a value (or file) `default_value` is copied instead, without its
// trailing blanks (null: empty), and the last error is ERROR_FILE_NOT_FOUND. A null `key` copies
// the names of the section's keys, a null `section` the names of the sections: each name with its
// terminator, and one more terminator at the end. Returns the number of characters copied
// without the final terminator; a text that does not fit is cut, giving `size` - 1 (`size` - 2
// for a list of names, which still ends in two terminators). 0 when `buffer` is null or `size`
// is 0.
VTPLATFORM_API DWORD GetPrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR default_value,
                                              LPSTR buffer, DWORD size, LPCSTR file_name);

// The number that the value of `key` in `section` of `file_name` starts with: an optional
// sign and decimal digits, read up to the first other character ("12 px" is 12, "x" is 0), wrapped
// modulo 2^32. `default_value` when there is no such value, it is empty, or `section` or `key` is
// null.
VTPLATFORM_API UINT GetPrivateProfileIntA(LPCSTR section, LPCSTR key, INT default_value,
                                          LPCSTR file_name);

// Sets `key` in `section` of `file_name` to `value`, creating the file, the section and the key as
// needed. A null `value` removes the key, a null `key` the whole section; removing what is not
// there succeeds. With all three null there is nothing to write back and the call succeeds.
// FALSE with the last error set: ERROR_INVALID_PARAMETER for a null `section` with a key or
// value, and for names and values that would not read back from their line: a line break
// anywhere, ']' in a section name or a lead byte without its trail byte at its end, '=' in a key,
// a blank key or one that starts with '[' or ';';
// the file's error when it cannot be written (a missing folder on the path gives
// ERROR_PATH_NOT_FOUND; only the profile folder is created).
VTPLATFORM_API BOOL WritePrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR value,
                                               LPCSTR file_name);
