// The Windows version that the replacement layer stands in for, and the version test against it.
//
// The layer answers as Windows 10.0 (build 19045, no service pack) where the caller's login
// session can be read from systemd-logind, so that OpenInputDesktop can tell a locked session
// from an unlocked one. Where no session can be reached it answers as Windows 6.1 (build 7601,
// Service Pack 1), the last version on which a locked session did not refuse the input desktop;
// callers that test for 6.2 before asking OpenInputDesktop then skip a question that has no
// answer here. Both are a workstation of the NT platform with no suites.
#pragma once

#include <cstdint>

#include "vtplatform/export.h"
#include "vtplatform/win32/types.h"

using DWORDLONG = std::uint64_t;
using ULONGLONG = std::uint64_t;

// A version record as Windows lays it out. Only the wide-character form is provided.
struct OSVERSIONINFOEXW {
  DWORD dwOSVersionInfoSize;  // sizeof(OSVERSIONINFOEXW)
  DWORD dwMajorVersion;
  DWORD dwMinorVersion;
  DWORD dwBuildNumber;
  DWORD dwPlatformId;
  WCHAR szCSDVersion[128];  // the service pack's name; empty without one
  WORD wServicePackMajor;
  WORD wServicePackMinor;
  WORD wSuiteMask;
  BYTE wProductType;
  BYTE wReserved;
};
using POSVERSIONINFOEXW = OSVERSIONINFOEXW*;
using LPOSVERSIONINFOEXW = OSVERSIONINFOEXW*;

inline constexpr DWORD VER_PLATFORM_WIN32_NT = 2;
inline constexpr BYTE VER_NT_WORKSTATION = 1;

// The fields of a version record that VerifyVersionInfoW tests, one bit each.
inline constexpr DWORD VER_MINORVERSION = 0x01;
inline constexpr DWORD VER_MAJORVERSION = 0x02;
inline constexpr DWORD VER_BUILDNUMBER = 0x04;
inline constexpr DWORD VER_PLATFORMID = 0x08;
inline constexpr DWORD VER_SERVICEPACKMINOR = 0x10;
inline constexpr DWORD VER_SERVICEPACKMAJOR = 0x20;
inline constexpr DWORD VER_SUITENAME = 0x40;
inline constexpr DWORD VER_PRODUCT_TYPE = 0x80;

// How a field of the running system is compared with the requested one. VER_AND (every
// requested suite present) and VER_OR (any of them) apply to VER_SUITENAME alone, which takes no
// other condition.
inline constexpr BYTE VER_EQUAL = 1;
inline constexpr BYTE VER_GREATER = 2;
inline constexpr BYTE VER_GREATER_EQUAL = 3;
inline constexpr BYTE VER_LESS = 4;
inline constexpr BYTE VER_LESS_EQUAL = 5;
inline constexpr BYTE VER_AND = 6;
inline constexpr BYTE VER_OR = 7;

// Adds `condition` for the field `type_mask` to `condition_mask` and returns the result. The mask
// keeps three bits per field, in the order of the field bits (VER_MINORVERSION in bits 0-2,
// VER_MAJORVERSION in bits 3-5, ...); the new condition is or-ed in, as on Windows, so a field is
// given its condition once. Of several field bits only the highest counts; with no field bit or
// a zero condition the mask comes back unchanged.
VTPLATFORM_API ULONGLONG VerSetConditionMask(ULONGLONG condition_mask, DWORD type_mask,
                                             BYTE condition);

// Whether the running system (see above) meets `version_info` in the fields of `type_mask`, each
// under its condition in `condition_mask`. The major version, minor version, service pack major
// and service pack minor that are in the mask are compared as one version number, most
// significant first, under the condition of the most significant of them, so that 6.3 is at
// least 6.2 SP1. Every other field is compared on its own. FALSE with ERROR_OLD_WIN_VERSION when
// the system does not meet the request; FALSE with ERROR_INVALID_PARAMETER for a null record, a
// size field other than sizeof(OSVERSIONINFOEXW), an empty or unknown field mask, or a field
// without a valid condition.
VTPLATFORM_API BOOL VerifyVersionInfoW(OSVERSIONINFOEXW* version_info, DWORD type_mask,
                                       DWORDLONG condition_mask);
