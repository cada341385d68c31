// Win32 error codes for the errno values that POSIX calls report, so that every replacement
// function fails with the code its Windows original gives for the same situation.
#pragma once

#include <system_error>

#include "vtplatform/win32/types.h"

namespace vtplatform {

// The Win32 code for `error` (an errno value). ENOENT is ERROR_FILE_NOT_FOUND; callers that know
// the path use win32_error_for_path, which tells a missing file from a missing folder.
DWORD win32_error_from_errno(int error);

// The Win32 code for the failure of an internal helper (see error_or.h): its errno value mapped as
// above, ERROR_GEN_FAILURE for a code of another category.
DWORD win32_error_from(std::error_code error);

// As win32_error_from_errno, except that ENOENT becomes ERROR_PATH_NOT_FOUND when a folder on the
// way to `path` is missing, as Windows reports it.
DWORD win32_error_for_path(int error, const char* path);

// Sets the thread's last error from `error` (an errno value) for an operation on `path`.
void set_last_error_for_path(int error, const char* path);

}  // namespace vtplatform
