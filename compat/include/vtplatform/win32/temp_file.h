// Temporary folders and names: the Win32 temporary path and unique file names, and the C
// runtime's two name generators.
#pragma once

#include <cstddef>

#include "vtplatform/export.h"
#include "vtplatform/win32/types.h"

// The temporary folder, with a trailing '/': $TMPDIR when it is set to an absolute path, else
// "/tmp/". Like Windows it does not check that the folder exists. Returns the length without the
// terminator, or the buffer size needed (terminator included) when `buffer_length` is too small.
VTPLATFORM_API DWORD GetTempPathA(DWORD buffer_length, LPSTR buffer);

// Makes the name <path>/<prefix><hex>.tmp in `temp_file_name` (a buffer of MAX_PATH): the first
// three characters of `prefix` and the unique number in hexadecimal. With `unique` 0 the number is
// chosen at random and the empty file is created, so that the name is taken when the call
// returns (a name already there makes it try the next number); with another `unique` the name
// is only built. Returns the number used, or 0 with ERROR_DIRECTORY when `path` is no folder,
// ERROR_BUFFER_OVERFLOW when the name would not fit MAX_PATH, or the error that made the
// creation fail.
VTPLATFORM_API UINT GetTempFileNameA(LPCSTR path, LPCSTR prefix, UINT unique, LPSTR temp_file_name);

// A new name <folder>/<prefix><6 letters or digits> that no file has: the folder is $TMP when it
// names a folder, else `dir` when that names a folder, else the temporary folder of
// GetTempPathA. The result is allocated with malloc; the caller frees it. Null when no unused
// name is found. A null prefix counts as "".
VTPLATFORM_API char* _tempnam(const char* dir, const char* prefix);

using errno_t = int;
// The buffer size tmpnam_s needs.
inline constexpr std::size_t L_tmpnam_s = 10;
// A name "/s<6 letters or digits>." that no file in the root folder has, the form the classic
// runtime gave its names: a separator, then the name. 0 on success; EINVAL for a null buffer,
// ERANGE when `size` is below L_tmpnam_s (the buffer then holds "").
VTPLATFORM_API errno_t tmpnam_s(char* buffer, std::size_t size);
