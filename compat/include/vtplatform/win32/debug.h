// Debugging another process: attaching to it as its debugger, stopping it and letting it go.
//
// On Linux the debugger is a ptrace tracer: DebugActiveProcess attaches every thread of the
// process and stops it, and the process stays stopped until DebugActiveProcessStop. A tracer is
// one thread, so the attachment belongs to the calling thread: only that thread can break into,
// dump or release the process, and the process is released when that thread ends. No debug
// events are reported; WaitForDebugEvent is not offered.
#pragma once

#include "vtplatform/export.h"
#include "vtplatform/win32/types.h"

// Attaches the calling thread to the process `process_id` as its debugger and stops all of its
// threads; threads that the process starts while it is being attached are attached too. Signals
// that arrive while a thread is being stopped are held back and delivered when it is released.
// FALSE with ERROR_INVALID_PARAMETER for a process that does not exist, ERROR_ACCESS_DENIED for
// the calling process, a process that already has a debugger (this thread or any other tracer)
// or one that the kernel does not let the caller trace, and ERROR_BUSY when a thread does not
// stop within about 1.5 seconds (it is in an uninterruptible wait); after a failure nothing is
// left attached.
VTPLATFORM_API BOOL DebugActiveProcess(DWORD process_id);

// Breaks into the process that the calling thread debugs. On Windows this raises a breakpoint in
// the process; here every thread is already stopped from the attachment, so the call makes sure
// they still are: it attaches threads that appeared since and forgets threads that were killed.
// FALSE with ERROR_INVALID_HANDLE for a handle that names no process, and with
// ERROR_INVALID_PARAMETER when the calling thread does not debug the process (nothing is raised
// in it then, where Windows would end an undebugged process with the breakpoint) or no thread of
// it is left.
VTPLATFORM_API BOOL DebugBreakProcess(HANDLE process);

// Releases the process that the calling thread debugs: every thread runs on and receives the
// signals held back for it. FALSE with ERROR_INVALID_PARAMETER when the calling thread does not
// debug `process_id`, so a second call fails without harm.
VTPLATFORM_API BOOL DebugActiveProcessStop(DWORD process_id);
