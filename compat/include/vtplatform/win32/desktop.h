// The input desktop: the desktop that receives the user's input, which a locked workstation
// refuses to open.
//
// On Linux the workstation is the caller's login session as systemd-logind knows it: the session
// logind files the calling process under, else the one $XDG_SESSION_ID names, else the user's
// display session, all asked over the system bus ($DBUS_SYSTEM_BUS_ADDRESS when set). It is
// locked while logind's LockedHint for the session is set, as screen lockers do. The version that
// VerifyVersionInfoW tests against is 6.2 or later exactly where such a session can be reached
// (see "vtplatform/win32/version.h").
#pragma once

#include "vtplatform/export.h"
#include "vtplatform/win32/access_rights.h"
#include "vtplatform/win32/types.h"

struct HDESK__;
using HDESK = HDESK__*;

// Opens the input desktop and returns a handle that CloseDesktop (or CloseHandle) closes. It only
// says that the session was unlocked when it was opened: the flags, inheritance and access rights
// are accepted and have no effect. Null with ERROR_ACCESS_DENIED while the session is locked, and
// with ERROR_NO_SUCH_LOGON_SESSION when no session can be reached (no system bus, no logind, no
// session of the caller); the look-up never takes much longer than a second.
VTPLATFORM_API HDESK OpenInputDesktop(DWORD flags, BOOL inherit, ACCESS_MASK desired_access);

// Closes a handle from OpenInputDesktop. FALSE with ERROR_INVALID_HANDLE for a value that names no
// open desktop.
VTPLATFORM_API BOOL CloseDesktop(HDESK desktop);
