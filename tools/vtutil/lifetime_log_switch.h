// The lifetime log of vtuProcess::kill as vtutil sees it: the user's switch in the registry and
// the log file's place, the same ones the library uses.
#pragma once

#include <string>

#include "vtutils/platform/settings.h"

// Sets HKEY_CURRENT_USER\Software\Brennic\VTLifeTimeManagerLog\Enabled to the REG_DWORD 1 or 0;
// the registry's error, ERROR_SUCCESS when it is set.
LSTATUS set_lifetime_log_switch(bool on);
// Whether the library writes the log into `on`: the value is a non-zero REG_DWORD. A missing key
// or value, or another type, is off. ERROR_SUCCESS, or the registry's error when the store cannot
// be read (the library does not log then either).
LSTATUS read_lifetime_log_switch(bool& on);
// The log file's path in the user's log folder (which is created when missing); "" when the home
// folder is unknown.
std::string lifetime_log_path();
