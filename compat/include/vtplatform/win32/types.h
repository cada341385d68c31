// The basic Win32 types and constants that the replacement layer's interface uses.
//
// On Linux wchar_t is 32 bits wide, so WCHAR text is UTF-32 and every WCHAR count is a count of
// code points. Handles are opaque pointers; a module handle is the load address of the module.
#pragma once

#include <cstdint>

using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using INT = int;
using UINT = unsigned int;
using LONG = std::int32_t;
using BOOL = int;
using CHAR = char;
using WCHAR = wchar_t;
using LPSTR = char*;
using LPCSTR = const char*;
using LPWSTR = wchar_t*;
using LPCWSTR = const wchar_t*;
// The generic text types of a build without UNICODE, which this layer is: TCHAR text is narrow
// text in the ANSI code page, and _T("...") leaves a literal as it is.
using TCHAR = char;
using LPTSTR = char*;
using LPCTSTR = const char*;
#define _T(text) text
using LPVOID = void*;
using LPCVOID = const void*;
using LPBOOL = BOOL*;
using HANDLE = void*;
using LPARAM = std::intptr_t;
using HRESULT = LONG;
using SCODE = LONG;

struct HINSTANCE__;
using HINSTANCE = HINSTANCE__*;
using HMODULE = HINSTANCE;
// A window. Nothing here makes windows; dialogs only pass their owner's handle along.
struct HWND__;
using HWND = HWND__*;

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

#define WINAPI

// The classic path length, terminator included, that bounds every narrow path buffer.
inline constexpr DWORD MAX_PATH = 260;

// Reasons with which the loader calls a library's entry point.
inline constexpr DWORD DLL_PROCESS_DETACH = 0;
inline constexpr DWORD DLL_PROCESS_ATTACH = 1;
inline constexpr DWORD DLL_THREAD_ATTACH = 2;
inline constexpr DWORD DLL_THREAD_DETACH = 3;
