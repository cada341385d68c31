// vtu_is_desktop_locked: whether the interactive desktop can receive input, that is whether the
// user's workstation is locked.
#pragma once

#include "vtutils/export.h"

enum vtuDesktopState {
  vtuDesktopStateUndetermined = 0,  // the system offers no lock state to read
  vtuDesktopStateLocked = 1,        // the input desktop cannot be opened: the workstation is locked
  vtuDesktopStateUnlocked = 2,      // the input desktop can be opened
};

VTUTILS_API vtuDesktopState vtu_is_desktop_locked();
