// Module handles. A module handle is the load address of a loaded ELF object: the running
// program or one of its shared libraries.
#pragma once

#include "vtplatform/export.h"
#include "vtplatform/win32/types.h"

inline constexpr DWORD GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT = 0x2;
inline constexpr DWORD GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS = 0x4;

// With a null name, the handle of the running program; otherwise the loaded shared object whose
// file name is `module_name`, or starts with `module_name` followed by ".so" ("libc" names
// libc.so.6). Null with ERROR_MOD_NOT_FOUND when none is loaded.
VTPLATFORM_API HMODULE GetModuleHandleA(LPCSTR module_name);

// With GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, the module that contains the address given as
// `module_name`. Loaded modules are never pinned or counted on Linux, so the reference count
// flag is accepted and has no further effect. FALSE with ERROR_MOD_NOT_FOUND when no module
// holds the address, ERROR_INVALID_PARAMETER without an out pointer or without the address flag.
VTPLATFORM_API BOOL GetModuleHandleExA(DWORD flags, LPCSTR module_name, HMODULE* module);
