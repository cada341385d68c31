// Starting a program as a child process: CreateProcessA with its start-up information.
//
// A child is always detached from the caller: it runs in a session of its own, which it does not
// lead, so it never has a controlling terminal, and it is not the caller's child, so the caller
// never reaps it and no zombie is left behind (init reaps it; a caller that made itself a child
// subreaper gets it back and must reap it). Of the caller's descriptors the child receives only
// its standard input, output and error; no other handle is ever inherited, whatever
// `inherit_handles` and the security attributes say. The child starts with the default signal
// dispositions, except that SIGPIPE is ignored, so that it gets EPIPE for a pipe that nobody reads
// (as a write fails on Windows) instead of being killed, and with no signal blocked.
#pragma once

#include "vtplatform/export.h"
#include "vtplatform/win32/file.h"
#include "vtplatform/win32/types.h"

// STARTUPINFOA::dwFlags.
inline constexpr DWORD STARTF_USESHOWWINDOW = 0x00000001;  // ignored: there are no windows
inline constexpr DWORD STARTF_USESTDHANDLES = 0x00000100;

// STARTUPINFOA::wShowWindow, ignored.
inline constexpr WORD SW_HIDE = 0;
inline constexpr WORD SW_SHOWNORMAL = 1;

// Creation flags. DETACHED_PROCESS, CREATE_NEW_CONSOLE and CREATE_NO_WINDOW each mean that the
// child does not share the caller's console: without STARTF_USESTDHANDLES its standard handles
// are /dev/null. CREATE_NEW_PROCESS_GROUP changes nothing, since every child is in a new session.
inline constexpr DWORD DETACHED_PROCESS = 0x00000008;
inline constexpr DWORD CREATE_NEW_CONSOLE = 0x00000010;
inline constexpr DWORD CREATE_NEW_PROCESS_GROUP = 0x00000200;
inline constexpr DWORD CREATE_NO_WINDOW = 0x08000000;

// How the child starts; only cb, dwFlags and the three standard handles are read.
struct STARTUPINFOA {
  DWORD cb;
  LPSTR lpReserved;
  LPSTR lpDesktop;
  LPSTR lpTitle;
  DWORD dwX;
  DWORD dwY;
  DWORD dwXSize;
  DWORD dwYSize;
  DWORD dwXCountChars;
  DWORD dwYCountChars;
  DWORD dwFillAttribute;
  DWORD dwFlags;
  WORD wShowWindow;
  WORD cbReserved2;
  BYTE* lpReserved2;
  HANDLE hStdInput;
  HANDLE hStdOutput;
  HANDLE hStdError;
};
using LPSTARTUPINFOA = STARTUPINFOA*;

// The new process: a handle to it with PROCESS_ALL_ACCESS (GetProcessTimes, WaitForSingleObject
// and the other process functions take it), a handle to its main thread, and their ids, both the
// Linux process id. The caller closes both handles with CloseHandle.
struct PROCESS_INFORMATION {
  HANDLE hProcess;
  HANDLE hThread;
  DWORD dwProcessId;
  DWORD dwThreadId;
};
using LPPROCESS_INFORMATION = PROCESS_INFORMATION*;

// Starts a program as a detached child process (see above) and returns once it has been executed.
//
// `command_line` is split into the program's arguments as a POSIX shell splits a simple command
// (blanks separate words, single and double quotes and backslashes quote), but nothing in it is
// expanded: '$', '*', '~' and the like reach the program unchanged. Its first word names the
// program, unless `application_name` is given: then that names the program and the command line
// only gives the arguments (the whole argument vector, its first word included); a null or blank
// command line then passes `application_name` alone. A program name without '/' is looked up in
// the folders of the caller's PATH (the first regular file there that the caller may execute),
// except that `application_name` is never looked up, as on Windows: it names a file in the
// caller's current folder. A relative name with '/' is relative to the caller's current folder,
// not to the child's.
//
// `environment` is a block of "NAME=value" strings, each ended by a NUL and the block by a second
// NUL, that becomes the child's whole environment; null passes the caller's. `current_directory`
// is the child's working folder; null or empty keeps the caller's. With STARTF_USESTDHANDLES in
// `startup_info->dwFlags`, hStdInput, hStdOutput and hStdError (pipe ends from CreatePipe or files
// from CreateFileA) become the child's descriptors 0, 1 and 2; a null or INVALID_HANDLE_VALUE
// handle gives /dev/null instead. Without it the child shares the caller's 0, 1 and 2 (/dev/null
// for any the caller has closed), unless the creation flags detach it from the caller's console.
//
// On success fills `process_information` and returns TRUE. On failure returns FALSE with
// `*process_information` zeroed and no process left running:
//   ERROR_INVALID_PARAMETER  null `startup_info` or `process_information`, an unknown creation
//                            flag, a quote left open in the command line, no program named
//   ERROR_FILE_NOT_FOUND     no such program (for a name with '/', ERROR_PATH_NOT_FOUND when a
//                            folder on its way is missing)
//   ERROR_ACCESS_DENIED      the program is a folder or may not be executed
//   ERROR_INVALID_HANDLE     a standard handle that names neither a pipe end nor a file
//   ERROR_DIRECTORY          `current_directory` is missing or no folder
//   ERROR_BAD_EXE_FORMAT     the file is neither a program nor a script with a "#!" line
//   other codes              the error of execve, or a lack of descriptors, memory or processes
VTPLATFORM_API BOOL CreateProcessA(LPCSTR application_name, LPSTR command_line,
                                   LPSECURITY_ATTRIBUTES process_attributes,
                                   LPSECURITY_ATTRIBUTES thread_attributes, BOOL inherit_handles,
                                   DWORD creation_flags, LPVOID environment,
                                   LPCSTR current_directory, LPSTARTUPINFOA startup_info,
                                   LPPROCESS_INFORMATION process_information);

namespace vtplatform {
// Makes the calling process a child subreaper (PR_SET_CHILD_SUBREAPER), for the rest of its life:
// the programs that CreateProcessA starts, and every process orphaned below them, then become its
// children instead of init's. Where the Yama security module lets a process trace only its
// descendants (ptrace scope 1), that keeps all of them within reach of DebugActiveProcess and so
// of dumps; without it, only the programs started here can be debugged, since each of them names
// the caller as its tracer. The caller takes on init's duty to reap them, and must do so without
// taking the stops of a process it debugs: waitid(P_ALL, 0, &info, WEXITED | WNOHANG | WNOWAIT)
// to look, then waitid(P_PID, info.si_pid, ..., WEXITED) only when info.si_code is CLD_EXITED,
// CLD_KILLED or CLD_DUMPED. Call it before starting threads that start processes; the setting
// is not passed on to the children. TRUE, or FALSE with the last error set.
VTPLATFORM_API BOOL become_child_subreaper();
}  // namespace vtplatform
