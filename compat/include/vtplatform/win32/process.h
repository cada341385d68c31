// Processes as the Win32 process functions name them: the calling process, the list of running
// processes, process handles with their access rights, creation and run times, and the Toolhelp
// snapshot of the process list.
//
// Process ids are Linux process ids. A zombie (a process that has exited but has not been reaped)
// counts as gone; a process whose main thread has exited while other threads still run is alive.
// Kernel threads are listed as processes.
#pragma once

#include "vtplatform/export.h"
#include "vtplatform/win32/access_rights.h"
#include "vtplatform/win32/file.h"
#include "vtplatform/win32/types.h"

// Access rights of a process handle. The query rights and SYNCHRONIZE are granted for every
// process, since anyone may read /proc/PID/stat. PROCESS_VM_READ is granted where the kernel lets
// the caller read the process's memory map (the ptrace read check); every other right acts on the
// process and is granted where the kernel lets the caller send it a signal (same real or effective
// user id as the target's real or saved one, or CAP_KILL).
inline constexpr ACCESS_MASK PROCESS_TERMINATE = 0x0001;
inline constexpr ACCESS_MASK PROCESS_VM_READ = 0x0010;
inline constexpr ACCESS_MASK PROCESS_QUERY_INFORMATION = 0x0400;
inline constexpr ACCESS_MASK PROCESS_SUSPEND_RESUME = 0x0800;
inline constexpr ACCESS_MASK PROCESS_QUERY_LIMITED_INFORMATION = 0x1000;
inline constexpr ACCESS_MASK PROCESS_ALL_ACCESS = STANDARD_RIGHTS_REQUIRED | SYNCHRONIZE | 0xFFFF;

namespace vtplatform {
// The suffix of executable file names: none on Linux, where Windows has ".exe".
inline constexpr const char* kExecutableSuffix = "";
}  // namespace vtplatform

// The pseudo handle that stands for the calling process, (HANDLE)-1 as on Windows. It needs no
// closing and is accepted wherever a process handle is (OpenProcessToken).
VTPLATFORM_API HANDLE GetCurrentProcess();

// The calling process's id: its Linux process id.
VTPLATFORM_API DWORD GetCurrentProcessId();

// Fills `process_ids` with up to `bytes` / 4 ids of running processes: first 0, the idle
// pseudo-process, then every live process in ascending id order. `*bytes_returned` is the number
// of bytes written; when it equals `bytes` the list may have been cut short and the caller asks
// again with a larger buffer. FALSE with ERROR_INVALID_PARAMETER for a null `bytes_returned` or a
// null list with a nonzero size.
VTPLATFORM_API BOOL K32EnumProcesses(DWORD* process_ids, DWORD bytes, DWORD* bytes_returned);

// Opens the process `process_id` with the access rights `desired_access` (see above) and returns
// a handle that CloseHandle closes. The handle keeps naming the same process even after its id
// is given to a newer one. Null with ERROR_INVALID_PARAMETER for id 0, an id that no live process
// has, or no access at all; null with ERROR_ACCESS_DENIED when a right is refused. Handles are
// never inherited by child processes, whatever `inherit_handle` says.
VTPLATFORM_API HANDLE OpenProcess(DWORD desired_access, BOOL inherit_handle, DWORD process_id);

// Ends the process at once with SIGKILL, sent through the handle's pidfd, so that a process whose
// id has been given to another since the handle was opened is never hit. Linux keeps no exit code
// of ours for it: `exit_code` only serves the calling process itself (the pseudo handle), which
// ends with _exit(exit_code). The handle needs PROCESS_TERMINATE; FALSE with ERROR_ACCESS_DENIED
// without it, when the kernel refuses the signal, and, as on Windows, once the process has exited;
// ERROR_INVALID_HANDLE for a handle that names no process.
VTPLATFORM_API BOOL TerminateProcess(HANDLE process, UINT exit_code);

// The id of the process that `process` names; 0 with ERROR_INVALID_HANDLE for a handle that names
// no process. The pseudo handle of GetCurrentProcess gives the caller's id.
VTPLATFORM_API DWORD GetProcessId(HANDLE process);

// The process's creation time (its start in clock ticks since boot, on the wall clock of boot
// time, so that the order of creation times is the order of the starts), and the time it has
// spent in kernel and user mode as durations. The exit time is left zero while the process is
// alive and also after it has exited, since Linux does not keep it. Needs PROCESS_QUERY_INFORMATION
// or PROCESS_QUERY_LIMITED_INFORMATION (else ERROR_ACCESS_DENIED); ERROR_INVALID_HANDLE for a
// handle that names no process; ERROR_INVALID_PARAMETER once the process has been reaped.
VTPLATFORM_API BOOL GetProcessTimes(HANDLE process, FILETIME* creation_time, FILETIME* exit_time,
                                    FILETIME* kernel_time, FILETIME* user_time);

// -1 when `first` is earlier than `second`, 0 when they are equal, 1 when it is later.
VTPLATFORM_API LONG CompareFileTime(const FILETIME* first, const FILETIME* second);

// Snapshot kinds of CreateToolhelp32Snapshot; only the process list is offered.
inline constexpr DWORD TH32CS_SNAPPROCESS = 0x00000002;

// One process of a snapshot. Set dwSize to sizeof(PROCESSENTRY32) before each Process32First or
// Process32Next call. szExeFile is the file name of the process's executable without its folder
// where /proc/PID/exe can be read, else the kernel's command name (kernel threads, processes of
// other users for an unprivileged caller).
struct PROCESSENTRY32 {
  DWORD dwSize;
  DWORD cntUsage;  // always 0
  DWORD th32ProcessID;
  std::uintptr_t th32DefaultHeapID;  // always 0
  DWORD th32ModuleID;                // always 0
  DWORD cntThreads;
  DWORD th32ParentProcessID;  // 0 when the parent lies outside the caller's pid namespace
  LONG pcPriClassBase;        // always 0
  DWORD dwFlags;              // always 0
  CHAR szExeFile[MAX_PATH];
};

namespace vtplatform {
// While an object of this class lives, the process lists of K32EnumProcesses and the Toolhelp
// snapshots taken on the constructing thread share one reading of /proc instead of each reading
// it anew, which costs a file read per process. A new reading is taken after every change made or
// seen through this layer by any thread: a process suspended, terminated or started, a wait that
// ended, a sleep. A loop that asks about every process in turn (its parent, whether that parent
// is listed) thus reads /proc once rather than once per question, and sees the processes as they
// were after its own last change. Scopes nest; the outermost one decides.
class VTPLATFORM_API ProcessTableScope {
 public:
  ProcessTableScope();
  ~ProcessTableScope();
  ProcessTableScope(const ProcessTableScope&) = delete;
  ProcessTableScope& operator=(const ProcessTableScope&) = delete;
};
}  // namespace vtplatform

// Takes a snapshot of the live processes (not the idle pseudo-process) at the time of the call,
// or inside a ProcessTableScope as its reading shows them; `process_id` is ignored, as Windows ignores it for a process list. INVALID_HANDLE_VALUE with
// ERROR_INVALID_PARAMETER for any other kind than TH32CS_SNAPPROCESS. Close it with CloseHandle.
VTPLATFORM_API HANDLE CreateToolhelp32Snapshot(DWORD flags, DWORD process_id);

// The first, and then the next, process of the snapshot. FALSE with ERROR_NO_MORE_FILES after the
// last one, ERROR_BAD_LENGTH when entry->dwSize is smaller than sizeof(PROCESSENTRY32),
// ERROR_INVALID_HANDLE when `snapshot` is no snapshot.
VTPLATFORM_API BOOL Process32First(HANDLE snapshot, PROCESSENTRY32* entry);
VTPLATFORM_API BOOL Process32Next(HANDLE snapshot, PROCESSENTRY32* entry);

// The modules of a process: every file with code mapped into it (its executable and shared
// libraries, not the kernel's vDSO, which has no file), found in /proc/PID/maps. A module handle
// is the address of the file's lowest mapping in that process. The module functions need
// PROCESS_QUERY_INFORMATION and PROCESS_VM_READ on the handle (else ERROR_ACCESS_DENIED); the
// pseudo handle of GetCurrentProcess holds every right. ERROR_INVALID_HANDLE for a handle that
// names no process; ERROR_INVALID_PARAMETER once the process has been reaped; ERROR_PARTIAL_COPY
// for a process without modules (a kernel thread, or one whose threads have all exited).

// Fills `modules` with up to `bytes` / sizeof(HMODULE) module handles: the main executable
// first, then the others in address order. `*bytes_needed` is the size of the whole list, which
// may exceed `bytes`. FALSE with ERROR_INVALID_PARAMETER for a null `bytes_needed` or a null list
// with a nonzero size.
VTPLATFORM_API BOOL K32EnumProcessModules(HANDLE process, HMODULE* modules, DWORD bytes,
                                          DWORD* bytes_needed);

// The file name without its folder (K32GetModuleBaseNameA), or the full path
// (K32GetModuleFileNameExA), of `module` in the process; a null module is the main executable.
// The name is copied into `name` of `size` characters, truncated to size - 1 characters when
// longer, and always terminated; the result is the number of characters copied without the
// terminator, 0 on failure. A file deleted after it was loaded keeps its old path, without the
// kernel's " (deleted)" mark. 0 with ERROR_INVALID_PARAMETER for a null buffer or size 0;
// ERROR_INVALID_HANDLE for a module that is not loaded in the process.
VTPLATFORM_API DWORD K32GetModuleBaseNameA(HANDLE process, HMODULE module, LPSTR name, DWORD size);
VTPLATFORM_API DWORD K32GetModuleFileNameExA(HANDLE process, HMODULE module, LPSTR file_name,
                                             DWORD size);

// The full path of the process's executable (a plain path where Windows gives the device form),
// without a " (deleted)" mark, terminated; the result is its length. Needs
// PROCESS_QUERY_INFORMATION or PROCESS_QUERY_LIMITED_INFORMATION. Unlike the module names it is
// never truncated: 0 with ERROR_INSUFFICIENT_BUFFER when the path and its terminator do not fit.
// ERROR_PARTIAL_COPY for a process without an executable (a kernel thread); ERROR_ACCESS_DENIED
// when the kernel refuses to show it (another user's process, for an unprivileged caller).
VTPLATFORM_API DWORD K32GetProcessImageFileNameA(HANDLE process, LPSTR image_file_name,
                                                 DWORD size);
