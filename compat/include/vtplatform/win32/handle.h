// Handles to kernel objects: files, access tokens, processes and pipes. A handle names one object
// in the process's handle table until CloseHandle removes it; handle values are never reused, so
// a stale handle is refused instead of reaching another object.
#pragma once

#include "vtplatform/export.h"
#include "vtplatform/win32/types.h"

// The value that functions returning a handle use for failure (CreateFileA/W).
inline HANDLE const INVALID_HANDLE_VALUE = reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(-1));

// Closes the handle and releases the object once nothing else uses it. FALSE with
// ERROR_INVALID_HANDLE for a value that names no open handle.
VTPLATFORM_API BOOL CloseHandle(HANDLE object);
