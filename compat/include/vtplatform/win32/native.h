// The native system services that programs look up by name in the system module "ntdll" rather
// than link against: GetProcAddress(GetModuleHandleA("ntdll"), "NtSuspendProcess"). On Linux the
// replacement layer itself is that module, and the services are exported under their C names so
// that the lookup finds them.
#pragma once

#include "vtplatform/export.h"
#include "vtplatform/win32/types.h"

using NTSTATUS = LONG;
#define NTAPI

inline constexpr NTSTATUS STATUS_SUCCESS = 0;
inline constexpr NTSTATUS STATUS_INVALID_HANDLE = static_cast<NTSTATUS>(0xC0000008);
inline constexpr NTSTATUS STATUS_ACCESS_DENIED = static_cast<NTSTATUS>(0xC0000022);
inline constexpr NTSTATUS STATUS_PROCESS_IS_TERMINATING = static_cast<NTSTATUS>(0xC000010A);

extern "C" {

// Stops every thread of the process with SIGSTOP, sent through the handle's pidfd so that a
// process that has exited and whose id was reused is never reached, and returns once the kernel
// shows all of them stopped (or after a second, for a thread stuck in an uninterruptible wait).
// The handle needs PROCESS_SUSPEND_RESUME, else STATUS_ACCESS_DENIED; STATUS_INVALID_HANDLE for a
// handle that names no process; STATUS_PROCESS_IS_TERMINATING once the process has exited. The
// pseudo handle of GetCurrentProcess stops the calling process itself. SIGCONT resumes.
VTPLATFORM_API NTSTATUS NTAPI NtSuspendProcess(HANDLE process);

}  // extern "C"
