// The lifetime log: one time-stamped record per step of the termination protocol, written only
// while the user's switch is on.
#pragma once

namespace vtutils {

// Appends "<time stamp> <message>" to the log file when the registry value
// HKEY_CURRENT_USER\Software\Brennic\VTLifeTimeManagerLog\Enabled is a non-zero REG_DWORD. The
// switch is read anew for every record. `message` carries its own indentation and line end.
// Failures are silent.
void lifetime_log_write(const char* message);

}  // namespace vtutils
