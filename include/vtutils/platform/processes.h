// Processes and the modules loaded into them: process lists and snapshots, opening, times,
// suspension, termination and waiting, starting programs with pipes, debugging and minidumps,
// module handles and file names, and the native services looked up by name.
#pragma once

#if defined(_WIN32)
#include <afxwin.h>
#include <dbghelp.h>
#include <psapi.h>
#include <tlhelp32.h>
#include <winternl.h>
namespace vtplatform {
// The suffix of executable file names.
inline constexpr const char* kExecutableSuffix = ".exe";
// Process lists and snapshots are cheap on Windows; the Linux layer shares one reading of /proc
// between those taken while an object of this class lives.
class ProcessTableScope {};
}  // namespace vtplatform
#else
#include "vtplatform/win32/debug.h"
#include "vtplatform/win32/minidump.h"
#include "vtplatform/win32/module.h"
#include "vtplatform/win32/native.h"
#include "vtplatform/win32/pipe.h"
#include "vtplatform/win32/process.h"
#include "vtplatform/win32/process_launch.h"
#include "vtplatform/win32/synch.h"
#endif
