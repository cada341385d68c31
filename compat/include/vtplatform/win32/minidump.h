// MiniDumpWriteDump: a minidump of another process, in the file format that Linux crash tools
// write and debuggers such as lldb read.
//
// The dump holds the system (AMD64, platform id 0x8201 for Linux, the CPU vendor), the process id
// and times, every thread with its full register context and stack, the mapped modules with
// their GNU build ids, and the process's /proc/PID/status, maps, auxv, cmdline and environ and
// the machine's /proc/cpuinfo in the Linux streams of that format. How each MINIDUMP_TYPE flag is
// honoured on Linux is told beside the flag.
#pragma once

#include "vtplatform/export.h"
#include "vtplatform/win32/types.h"

enum MINIDUMP_TYPE : DWORD {
  // Threads with their stacks (in one memory list), modules, system and process information.
  MiniDumpNormal = 0x00000000,
  // Adds the writable mappings of the module files (their initialised data) to the memory list.
  MiniDumpWithDataSegs = 0x00000001,
  // Every readable mapping instead of the memory list, in a 64-bit memory list at the end of the
  // file; mappings that the process excluded from core dumps (MADV_DONTDUMP) stay out.
  MiniDumpWithFullMemory = 0x00000002,
  // One descriptor per open file descriptor of /proc/PID/fd: its number, its kind ("File",
  // "socket", "pipe", "anon_inode") and what it names.
  MiniDumpWithHandleData = 0x00000004,
  // Accepted; stacks are never filtered.
  MiniDumpFilterMemory = 0x00000008,
  // Accepted; module memory is not scanned.
  MiniDumpScanMemory = 0x00000010,
  // Accepted; Linux keeps no list of unloaded libraries.
  MiniDumpWithUnloadedModules = 0x00000020,
  // Accepted; memory that the stacks point to is not followed.
  MiniDumpWithIndirectlyReferencedMemory = 0x00000040,
  // Module names without their folders.
  MiniDumpFilterModulePaths = 0x00000080,
  // Accepted; the process data is always in the Linux /proc streams.
  MiniDumpWithProcessThreadData = 0x00000100,
  // Adds every private writable mapping (heap, anonymous memory) to the memory list.
  MiniDumpWithPrivateReadWriteMemory = 0x00000200,
  // Accepted; the optional data is no more than the flags above add.
  MiniDumpWithoutOptionalData = 0x00000400,
  // A memory information list of every mapping of /proc/PID/maps: address, size, rights, kind.
  MiniDumpWithFullMemoryInfo = 0x00000800,
  // A thread information list: each thread's creation, kernel and user times and CPU affinity.
  MiniDumpWithThreadInfo = 0x00001000,
  // Adds the executable mappings of the module files (their code) to the memory list.
  MiniDumpWithCodeSegs = 0x00002000,
  // The flags below are accepted and change nothing.
  MiniDumpWithoutAuxiliaryState = 0x00004000,
  MiniDumpWithFullAuxiliaryState = 0x00008000,
  MiniDumpWithPrivateWriteCopyMemory = 0x00010000,
  MiniDumpIgnoreInaccessibleMemory = 0x00020000,
  MiniDumpWithTokenInformation = 0x00040000,
  MiniDumpWithModuleHeaders = 0x00080000,
  MiniDumpFilterTriage = 0x00100000,
  MiniDumpWithAvxXStateContext = 0x00200000,
  MiniDumpWithIptTrace = 0x00400000,
  MiniDumpScanInaccessiblePartialPages = 0x00800000,
  MiniDumpValidTypeFlags = 0x01FFFFFF,
};

constexpr MINIDUMP_TYPE operator|(MINIDUMP_TYPE a, MINIDUMP_TYPE b) {
  return static_cast<MINIDUMP_TYPE>(static_cast<DWORD>(a) | static_cast<DWORD>(b));
}

// The exception and the user streams to add to a dump. Only null is accepted for them, so they
// are declared without their members.
struct MINIDUMP_EXCEPTION_INFORMATION;
struct MINIDUMP_USER_STREAM_INFORMATION;
using PMINIDUMP_EXCEPTION_INFORMATION = MINIDUMP_EXCEPTION_INFORMATION*;
using PMINIDUMP_USER_STREAM_INFORMATION = MINIDUMP_USER_STREAM_INFORMATION*;

// The callback that may filter what a dump holds. It is accepted and never called: the dump
// always holds what the type asks for.
struct MINIDUMP_CALLBACK_INPUT;
struct MINIDUMP_CALLBACK_OUTPUT;
using MINIDUMP_CALLBACK_ROUTINE = BOOL (*)(LPVOID callback_param, MINIDUMP_CALLBACK_INPUT* input,
                                           MINIDUMP_CALLBACK_OUTPUT* output);
struct MINIDUMP_CALLBACK_INFORMATION {
  MINIDUMP_CALLBACK_ROUTINE CallbackRoutine;
  LPVOID CallbackParam;
};
using PMINIDUMP_CALLBACK_INFORMATION = MINIDUMP_CALLBACK_INFORMATION*;

// Writes a minidump of the process `process` (a handle with PROCESS_QUERY_INFORMATION and
// PROCESS_VM_READ) whose id is `process_id` into `file` (a handle from CreateFileA with
// GENERIC_WRITE) from offset 0 on: the file should be new or empty.
// The process's registers are read through the calling thread's debugger attachment
// (DebugActiveProcess); when the calling thread does not debug it, the call attaches for the
// time of the dump and releases it afterwards, so the process is stopped while it is dumped.
// FALSE with ERROR_INVALID_HANDLE for a handle that is no process or no file,
// ERROR_ACCESS_DENIED when a right is missing or the process cannot be attached,
// ERROR_INVALID_PARAMETER when the id is not that of the handle's process, the process has
// ended, the type holds unknown flags or an exception or user stream is given, ERROR_NOT_SUPPORTED
// for the calling process itself, and the file's error when writing fails; the file keeps what
// was written until then.
VTPLATFORM_API BOOL MiniDumpWriteDump(HANDLE process, DWORD process_id, HANDLE file,
                                      MINIDUMP_TYPE dump_type,
                                      PMINIDUMP_EXCEPTION_INFORMATION exception_param,
                                      PMINIDUMP_USER_STREAM_INFORMATION user_stream_param,
                                      PMINIDUMP_CALLBACK_INFORMATION callback_param);
