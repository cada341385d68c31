// The calling process as the Win32 process functions name it.
#pragma once

#include "vtplatform/export.h"
#include "vtplatform/win32/types.h"

// The pseudo handle that stands for the calling process, (HANDLE)-1 as on Windows. It needs no
// closing and is accepted wherever a process handle is (OpenProcessToken).
VTPLATFORM_API HANDLE GetCurrentProcess();

// The calling process's id: its Linux process id.
VTPLATFORM_API DWORD GetCurrentProcessId();
