// The basic Win32 types and constants (BOOL, DWORD, HANDLE, MAX_PATH, ...), error codes with the
// thread's last error, and closing handles.
#pragma once

#if defined(_WIN32)
// The framework's header includes the system's own after its set-up; a framework build refuses
// windows.h included before it, so the framework's header comes first for every family.
#include <afxwin.h>
#else
#include "vtplatform/win32/error.h"
#include "vtplatform/win32/handle.h"
#include "vtplatform/win32/types.h"
#endif
