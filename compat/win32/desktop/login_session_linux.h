// The caller's login session as systemd-logind knows it, read over the system bus. This is the one
// place in the layer that talks to logind.
#pragma once

#include <optional>

namespace vtplatform {

// Whether the caller's login session is locked: logind's LockedHint for it, which screen lockers
// set and clear. Nothing when no session can be reached: no system bus, no logind on it, or no
// session that is the caller's.
//
// The session is the first of these that logind can give the lock state of: the session logind
// files the calling process under; the session that $XDG_SESSION_ID names; the calling user's
// display session (the graphical session logind elects for the user), which is how programs that
// the desktop starts outside the session's own process group find it. Everything is asked over
// the bus that sd_bus_open_system reaches ($DBUS_SYSTEM_BUS_ADDRESS when set). The whole look-up,
// connecting included, gives up after one second, so a bus that does not answer cannot hold the
// caller up. Each call opens its own connection and closes it before it returns.
std::optional<bool> login_session_locked();

}  // namespace vtplatform
