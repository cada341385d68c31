// Waiting for kernel objects to be signalled, and sleeping.
#pragma once

#include "vtplatform/export.h"
#include "vtplatform/win32/types.h"

// The time-out that never ends.
inline constexpr DWORD INFINITE = 0xFFFFFFFF;

// Results of WaitForSingleObject.
inline constexpr DWORD WAIT_OBJECT_0 = 0x00000000;
inline constexpr DWORD WAIT_TIMEOUT = 0x00000102;
inline constexpr DWORD WAIT_FAILED = 0xFFFFFFFF;

// Waits up to `milliseconds` (INFINITE: without limit; 0: only looks) until `object` is
// signalled. Only process handles (OpenProcess, CreateProcessA) can be waited on: a process is
// signalled once all its threads have exited, whether or not it has been reaped. Any process
// handle may be waited on, whatever rights it was opened with, since Linux lets whoever holds a
// pidfd poll it; SYNCHRONIZE is not needed. The time-out runs on the monotonic clock, and signals
// that interrupt the wait do not end it early. WAIT_OBJECT_0 when the object is signalled,
// WAIT_TIMEOUT when the time ran out first; WAIT_FAILED with ERROR_INVALID_HANDLE for any other
// handle, including the pseudo handle of the calling process and thread handles.
VTPLATFORM_API DWORD WaitForSingleObject(HANDLE object, DWORD milliseconds);

// Suspends the calling thread for `milliseconds` (INFINITE: for good); signals do not end the
// sleep early.
VTPLATFORM_API void Sleep(DWORD milliseconds);
