// The per-user registry: keys under HKEY_CURRENT_USER holding typed values.
//
// The keys and values live in one text file per user, $XDG_CONFIG_HOME/vtutils/registry.reg
// (~/.config/vtutils/registry.reg when $XDG_CONFIG_HOME is unset or not absolute), in the ".reg"
// format that regedit exports: a "Windows Registry Editor Version 5.00" line, one
// "[HKEY_CURRENT_USER\Key\Sub]" section per key and one line per value. Unlike regedit's UTF-16
// files the store is bytes: names and text are kept exactly as the narrow functions are given
// them, in the ANSI code page of the writing process, and REG_EXPAND_SZ and REG_MULTI_SZ data are
// narrow bytes. A REG_SZ is written as "text" when it ends in its terminator, holds no other NUL
// and no line break, and does not end in a lead byte without its trail byte; a REG_DWORD of four
// bytes as dword:, everything else as hex(TYPE):, so every value reads back byte for byte as it
// was set.
//
// Every call reads the file anew, so a change made by another process is seen at once, also
// through keys opened before it. Reads hold a shared lock and changes an exclusive one on
// registry.reg.lock beside the file (flock), and a change writes the whole file beside it and
// renames it over the old one: a reader sees the file before or after the change, never a part.
// A damaged file is read as far as it is valid: a line that does not parse (or a section header
// that does not) hides only that line's value (or that section's values). Nothing is written
// back except by the calls that change the store, and those keep every line they do not change
// verbatim, the unparseable ones included, so a write never loses what could be read before.
//
// Key paths are separated by '\' and compare with ASCII case folding, as value names do; bytes
// from 0x80 up compare exactly. Only HKEY_CURRENT_USER is stored. HKEY_LOCAL_MACHINE reads as a
// key without subkeys or values, and creating keys in it is refused with ERROR_ACCESS_DENIED, as
// for a user without administrator rights; the other predefined keys are invalid handles.
//
// All functions return a Win32 error code (ERROR_SUCCESS when they succeed) and leave the
// thread's last error alone.
#pragma once

#include <cstdint>

#include "vtplatform/export.h"
#include "vtplatform/win32/access_rights.h"
#include "vtplatform/win32/file.h"
#include "vtplatform/win32/types.h"

using LSTATUS = LONG;
using LPDWORD = DWORD*;
using LPBYTE = BYTE*;

// An open registry key: one of the predefined root keys below, or a handle that RegOpenKeyExA or
// RegCreateKeyExA returned and RegCloseKey closes.
struct HKEY__;
using HKEY = HKEY__*;
using PHKEY = HKEY*;

inline HKEY const HKEY_CLASSES_ROOT = reinterpret_cast<HKEY>(std::uintptr_t{0x80000000});
inline HKEY const HKEY_CURRENT_USER = reinterpret_cast<HKEY>(std::uintptr_t{0x80000001});
inline HKEY const HKEY_LOCAL_MACHINE = reinterpret_cast<HKEY>(std::uintptr_t{0x80000002});
inline HKEY const HKEY_USERS = reinterpret_cast<HKEY>(std::uintptr_t{0x80000003});

// The access rights of a key handle. A call that needs a right the handle lacks fails with
// ERROR_ACCESS_DENIED: queries need KEY_QUERY_VALUE, setting and deleting values KEY_SET_VALUE,
// creating a subkey KEY_CREATE_SUB_KEY on its parent. The predefined keys have every right.
using REGSAM = ACCESS_MASK;
inline constexpr REGSAM KEY_QUERY_VALUE = 0x0001;
inline constexpr REGSAM KEY_SET_VALUE = 0x0002;
inline constexpr REGSAM KEY_CREATE_SUB_KEY = 0x0004;
inline constexpr REGSAM KEY_ENUMERATE_SUB_KEYS = 0x0008;
inline constexpr REGSAM KEY_NOTIFY = 0x0010;
inline constexpr REGSAM KEY_CREATE_LINK = 0x0020;
// Select the 64- or 32-bit view on 64-bit Windows; there is one view here and both are ignored.
inline constexpr REGSAM KEY_WOW64_64KEY = 0x0100;
inline constexpr REGSAM KEY_WOW64_32KEY = 0x0200;
inline constexpr REGSAM KEY_READ =
    (STANDARD_RIGHTS_READ | KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS | KEY_NOTIFY) & ~SYNCHRONIZE;
inline constexpr REGSAM KEY_WRITE =
    (STANDARD_RIGHTS_WRITE | KEY_SET_VALUE | KEY_CREATE_SUB_KEY) & ~SYNCHRONIZE;
inline constexpr REGSAM KEY_EXECUTE = KEY_READ;
inline constexpr REGSAM KEY_ALL_ACCESS =
    (STANDARD_RIGHTS_REQUIRED | KEY_QUERY_VALUE | KEY_SET_VALUE | KEY_CREATE_SUB_KEY |
     KEY_ENUMERATE_SUB_KEYS | KEY_NOTIFY | KEY_CREATE_LINK) &
    ~SYNCHRONIZE;
static_assert(KEY_READ == 0x20019 && KEY_WRITE == 0x20006 && KEY_ALL_ACCESS == 0xF003F);

// Value types. The store keeps any type number; these are the ones with a meaning.
inline constexpr DWORD REG_NONE = 0;
inline constexpr DWORD REG_SZ = 1;         // text with its terminator
inline constexpr DWORD REG_EXPAND_SZ = 2;  // text with %VARIABLE% references, not expanded here
inline constexpr DWORD REG_BINARY = 3;
inline constexpr DWORD REG_DWORD = 4;  // 32 bits, little-endian
inline constexpr DWORD REG_DWORD_LITTLE_ENDIAN = 4;
inline constexpr DWORD REG_DWORD_BIG_ENDIAN = 5;
inline constexpr DWORD REG_LINK = 6;
// Texts, each with its terminator, and one more terminator at the end.
inline constexpr DWORD REG_MULTI_SZ = 7;
inline constexpr DWORD REG_QWORD = 11;  // 64 bits, little-endian
inline constexpr DWORD REG_QWORD_LITTLE_ENDIAN = 11;

// Options of RegCreateKeyExA: keys are always stored in the file; volatile keys do not exist.
inline constexpr DWORD REG_OPTION_RESERVED = 0;
inline constexpr DWORD REG_OPTION_NON_VOLATILE = 0;

// What RegCreateKeyExA did.
inline constexpr DWORD REG_CREATED_NEW_KEY = 1;
inline constexpr DWORD REG_OPENED_EXISTING_KEY = 2;

// Opens the existing key `sub_key` below `key` (`key` itself again when `sub_key` is null or
// empty) with the rights `desired` (generic rights are mapped to KEY_READ, KEY_WRITE and
// KEY_ALL_ACCESS; MAXIMUM_ALLOWED gives KEY_ALL_ACCESS). `options` is ignored. Stores the new
// handle in `*result`. ERROR_FILE_NOT_FOUND when the key does not exist, ERROR_BAD_PATHNAME when
// `sub_key` starts with '\', ERROR_KEY_DELETED when `key` was deleted since it was opened,
// ERROR_INVALID_HANDLE when `key` is no open key, ERROR_INVALID_PARAMETER when `result` is null.
VTPLATFORM_API LSTATUS RegOpenKeyExA(HKEY key, LPCSTR sub_key, DWORD options, REGSAM desired,
                                     PHKEY result);

// Opens `sub_key` below `key` as RegOpenKeyExA does, creating it and the keys on the way to it
// when they are missing; empty path components (as in "a\\b" or a trailing '\') are skipped.
// `reserved`, `class_name` and `security` are ignored (the store is readable by its user only).
// Stores the handle in `*result` and, when `disposition` is not null, REG_CREATED_NEW_KEY or
// REG_OPENED_EXISTING_KEY in `*disposition`. Errors as RegOpenKeyExA, and ERROR_ACCESS_DENIED
// when the key must be created and `key` lacks KEY_CREATE_SUB_KEY or is HKEY_LOCAL_MACHINE,
// ERROR_INVALID_PARAMETER for `options` other than REG_OPTION_NON_VOLATILE and for a path with a
// line break or ending in a lead byte without its trail byte, which the store cannot hold; the
// store's file error when it cannot be written.
VTPLATFORM_API LSTATUS RegCreateKeyExA(HKEY key, LPCSTR sub_key, DWORD reserved, LPSTR class_name,
                                       DWORD options, REGSAM desired,
                                       const LPSECURITY_ATTRIBUTES security, PHKEY result,
                                       LPDWORD disposition);

// Reads the value `value_name` of `key` (the key's default value when the name is null or
// empty): its type into `*type` and its bytes into `data`, when those are not null. `*size` gives
// the size of `data` and receives the size of the value; strings count their terminator as it
// was set. With `data` null only the size is stored; when `*size` is too small the function
// returns ERROR_MORE_DATA with the needed size in `*size` and the type in `*type`, and `data`
// unchanged. ERROR_FILE_NOT_FOUND when there is no such value, ERROR_ACCESS_DENIED without
// KEY_QUERY_VALUE, ERROR_KEY_DELETED when the key was deleted since it was opened,
// ERROR_INVALID_PARAMETER when `reserved` is not null or `data` is given without `size`.
VTPLATFORM_API LSTATUS RegQueryValueExA(HKEY key, LPCSTR value_name, LPDWORD reserved, LPDWORD type,
                                        LPBYTE data, LPDWORD size);

// Sets the value `value_name` of `key` (the default value when the name is null or empty) to
// `size` bytes of `data` with the type `type`, replacing a value of that name whatever its type.
// Strings are stored as given: `size` should count the terminator. ERROR_ACCESS_DENIED without
// KEY_SET_VALUE, ERROR_KEY_DELETED when the key was deleted since it was opened,
// ERROR_INVALID_PARAMETER when `data` is null with a size other than 0 or the name holds a line
// break or ends in a lead byte without its trail byte; the store's file error when it cannot be
// written.
VTPLATFORM_API LSTATUS RegSetValueExA(HKEY key, LPCSTR value_name, DWORD reserved, DWORD type,
                                      const BYTE* data, DWORD size);

// Deletes the value `value_name` of `key` (the default value when the name is null or empty).
// ERROR_FILE_NOT_FOUND when there is no such value, otherwise the errors of RegSetValueExA.
VTPLATFORM_API LSTATUS RegDeleteValueA(HKEY key, LPCSTR value_name);

// Deletes the key `sub_key` below `key` (`key` itself when `sub_key` is empty) with its values.
// As on Windows, only a key without subkeys is deleted: delete the subkeys first. Handles still
// open on the deleted key fail from then on with ERROR_KEY_DELETED. The rights of `key` do not
// matter; the user may delete any key of their own. ERROR_FILE_NOT_FOUND when the key does not
// exist, ERROR_ACCESS_DENIED when it has subkeys or is a predefined key, ERROR_KEY_DELETED when
// `key` was deleted since it was opened, ERROR_INVALID_PARAMETER when `sub_key` is null; the
// store's file error when it cannot be written.
VTPLATFORM_API LSTATUS RegDeleteKeyA(HKEY key, LPCSTR sub_key);

// Closes a key handle. Closing a predefined key does nothing and succeeds.
// ERROR_INVALID_HANDLE when `key` is not an open key.
VTPLATFORM_API LSTATUS RegCloseKey(HKEY key);
