// Module handles. A module handle is the load address of a loaded ELF object: the running
// program or one of its shared libraries.
#pragma once

#include "vtplatform/export.h"
#include "vtplatform/win32/types.h"

inline constexpr DWORD GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT = 0x2;
inline constexpr DWORD GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS = 0x4;

// With a null name, the handle of the running program; otherwise the loaded shared object whose
// file name is `module_name`, or starts with `module_name` followed by ".so" ("libc" names
// libc.so.6). The system module "ntdll" (or "ntdll.dll", in any case) names this replacement
// layer, which provides the native services (vtplatform/win32/native.h). Null with
// ERROR_MOD_NOT_FOUND when none is loaded.
VTPLATFORM_API HMODULE GetModuleHandleA(LPCSTR module_name);

// With GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, the module that contains the address given as
// `module_name`. Loaded modules are never pinned or counted on Linux, so the reference count
// flag is accepted and has no further effect. FALSE with ERROR_MOD_NOT_FOUND when no module
// holds the address, ERROR_INVALID_PARAMETER without an out pointer or without the address flag.
VTPLATFORM_API BOOL GetModuleHandleExA(DWORD flags, LPCSTR module_name, HMODULE* module);

// The address of the function or variable that `module` exports under the C name `proc_name`;
// symbols that the module only takes from another module are not its exports. Null with
// ERROR_PROC_NOT_FOUND when it exports no such name, ERROR_MOD_NOT_FOUND for a handle that is no
// loaded module.
// The generic function pointer, to be cast to the function's real type; void (*)() is the type
// that converts to any other without a warning.
using FARPROC = void (*)();
VTPLATFORM_API FARPROC GetProcAddress(HMODULE module, LPCSTR proc_name);

// The full path of a module's file: the running program's (a null handle or the program's own)
// as the kernel knows it, a shared library's as it was loaded, made absolute. At most `size`
// characters are written, the terminator included; a longer path is cut, with ERROR_INSUFFICIENT_BUFFER
// and `size` as the result. Otherwise the result is the length without the terminator; 0 with
// ERROR_MOD_NOT_FOUND for a handle that is no loaded module.
VTPLATFORM_API DWORD GetModuleFileNameA(HMODULE module, LPSTR file_name, DWORD size);
VTPLATFORM_API DWORD GetModuleFileNameW(HMODULE module, LPWSTR file_name, DWORD size);
