// The version test against the Windows version that the layer stands in for, which depends on
// whether the caller's login session can be read.
#include "vtplatform/win32/version.h"

#include <bit>
#include <compare>
#include <cwchar>

#include "vtplatform/win32/error.h"
#include "win32/desktop/login_session_linux.h"

namespace {

constexpr DWORD kAllFields = 0xFF;
constexpr int kBitsPerCondition = 3;
constexpr ULONGLONG kConditionBits = 0x7;

// The condition that `condition_mask` holds for the single field bit `field`.
BYTE condition_of(DWORDLONG condition_mask, DWORD field) {
  return static_cast<BYTE>((condition_mask >> (kBitsPerCondition * std::countr_zero(field))) &
                           kConditionBits);
}

// One field of a version record: the running system's value and the requested one.
struct Field {
  DWORD field;
  DWORD system;
  DWORD wanted;
};

bool is_valid(DWORD field, BYTE condition) {
  if (field == VER_SUITENAME) return condition == VER_AND || condition == VER_OR;
  return condition >= VER_EQUAL && condition <= VER_LESS_EQUAL;
}

// Whether `order` (the system's value compared with the requested one) meets `condition`.
bool meets(std::strong_ordering order, BYTE condition) {
  switch (condition) {
    case VER_EQUAL: return order == 0;
    case VER_GREATER: return order > 0;
    case VER_GREATER_EQUAL: return order >= 0;
    case VER_LESS: return order < 0;
    default: return order <= 0;  // VER_LESS_EQUAL; the others were refused before
  }
}

OSVERSIONINFOEXW running_system() {
  OSVERSIONINFOEXW system{};
  system.dwOSVersionInfoSize = sizeof system;
  system.dwPlatformId = VER_PLATFORM_WIN32_NT;
  system.wProductType = VER_NT_WORKSTATION;
  if (vtplatform::login_session_locked().has_value()) {
    system.dwMajorVersion = 10;
    system.dwBuildNumber = 19045;
  } else {
    system.dwMajorVersion = 6;
    system.dwMinorVersion = 1;
    system.dwBuildNumber = 7601;
    system.wServicePackMajor = 1;
    std::wcscpy(system.szCSDVersion, L"Service Pack 1");
  }
  return system;
}

// The major version, minor version and service pack numbers in the mask, compared as one version
// number under the condition of the most significant of them.
bool meets_version(const OSVERSIONINFOEXW& system, const OSVERSIONINFOEXW& wanted,
                   DWORD type_mask, DWORDLONG condition_mask) {
  const Field levels[] = {
      {VER_MAJORVERSION, system.dwMajorVersion, wanted.dwMajorVersion},
      {VER_MINORVERSION, system.dwMinorVersion, wanted.dwMinorVersion},
      {VER_SERVICEPACKMAJOR, system.wServicePackMajor, wanted.wServicePackMajor},
      {VER_SERVICEPACKMINOR, system.wServicePackMinor, wanted.wServicePackMinor},
  };
  BYTE condition = 0;
  std::strong_ordering order = std::strong_ordering::equal;
  for (const auto& level : levels) {
    if ((type_mask & level.field) == 0) continue;
    if (condition == 0) condition = condition_of(condition_mask, level.field);
    order = level.system <=> level.wanted;
    if (order != 0) break;
  }
  return condition == 0 || meets(order, condition);
}

bool meets_suites(WORD system, WORD wanted, BYTE condition) {
  return condition == VER_AND ? (system & wanted) == wanted : (system & wanted) != 0;
}

}  // namespace

ULONGLONG VerSetConditionMask(ULONGLONG condition_mask, DWORD type_mask, BYTE condition) {
  const DWORD fields = type_mask & kAllFields;
  condition &= kConditionBits;
  if (fields == 0 || condition == 0) return condition_mask;
  const int index = std::bit_width(fields) - 1;
  return condition_mask | (ULONGLONG{condition} << (kBitsPerCondition * index));
}

BOOL VerifyVersionInfoW(OSVERSIONINFOEXW* version_info, DWORD type_mask,
                        DWORDLONG condition_mask) {
  bool valid = version_info != nullptr &&
               version_info->dwOSVersionInfoSize == sizeof *version_info && type_mask != 0 &&
               (type_mask & ~kAllFields) == 0;
  for (DWORD rest = type_mask; valid && rest != 0; rest &= rest - 1) {
    const DWORD field = DWORD{1} << std::countr_zero(rest);
    valid = is_valid(field, condition_of(condition_mask, field));
  }
  if (!valid) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }

  const OSVERSIONINFOEXW system = running_system();
  const OSVERSIONINFOEXW& wanted = *version_info;
  bool met = meets_version(system, wanted, type_mask, condition_mask);
  const Field single_fields[] = {
      {VER_BUILDNUMBER, system.dwBuildNumber, wanted.dwBuildNumber},
      {VER_PLATFORMID, system.dwPlatformId, wanted.dwPlatformId},
      {VER_PRODUCT_TYPE, system.wProductType, wanted.wProductType},
  };
  for (const auto& single : single_fields) {
    if (met && (type_mask & single.field) != 0) {
      met = meets(single.system <=> single.wanted, condition_of(condition_mask, single.field));
    }
  }
  if (met && (type_mask & VER_SUITENAME) != 0) {
    met = meets_suites(system.wSuiteMask, wanted.wSuiteMask,
                       condition_of(condition_mask, VER_SUITENAME));
  }
  if (!met) {
    SetLastError(ERROR_OLD_WIN_VERSION);
    return FALSE;
  }
  return TRUE;
}
