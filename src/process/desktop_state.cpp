// vtu_is_desktop_locked: a version check for systems that can tell, then an attempt to open the
// desktop that receives input.
#include "vtutils/desktop_state.h"

#include "vtutils/platform/desktop.h"
#include "vtutils/platform/win32_types.h"

vtuDesktopState vtu_is_desktop_locked() {
  // Systems before 6.2 do not refuse the input desktop to a locked session.
  OSVERSIONINFOEXW version{};
  version.dwOSVersionInfoSize = sizeof version;
  version.dwMajorVersion = 6;
  version.dwMinorVersion = 2;
  version.wServicePackMajor = 0;
  DWORDLONG conditions = 0;
  conditions = VerSetConditionMask(conditions, VER_MAJORVERSION, VER_GREATER_EQUAL);
  conditions = VerSetConditionMask(conditions, VER_MINORVERSION, VER_GREATER_EQUAL);
  conditions = VerSetConditionMask(conditions, VER_SERVICEPACKMAJOR, VER_GREATER_EQUAL);
  if (!VerifyVersionInfoW(&version, VER_MAJORVERSION | VER_MINORVERSION | VER_SERVICEPACKMAJOR,
                          conditions)) {
    return vtuDesktopStateUndetermined;
  }
  if (const HDESK desktop = OpenInputDesktop(0, FALSE, 0)) {
    CloseDesktop(desktop);
    return vtuDesktopStateUnlocked;
  }
  return vtuDesktopStateLocked;
}
