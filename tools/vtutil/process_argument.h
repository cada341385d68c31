// The process id that vtutil kill and vtutil dump are given: one that can name a process, and
// one that the caller may signal.
#pragma once

#include <string>

#include "vtutils/platform/win32_types.h"

// Ends the command when `id` cannot name a process: 0 is a mistake on the command line (exit
// status 2); the id of a thread other than its process's main thread is refused with the
// process it belongs to (exit status 1). An id that nothing has passes.
void refuse_non_process_id(const char* command, DWORD id);

// Whether the kernel lets the caller signal the process `id`; when not, `reason` is set to the
// error's text ("Operation not permitted"). A process that is gone can be signalled.
bool may_signal(DWORD id, std::string& reason);
