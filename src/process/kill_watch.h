// The termination protocol's side of vtuKillWatch: the calling thread's watch, asked and told
// through these functions so that the protocol reads the same with and without one.
#pragma once

#include "vtutils/platform/framework_strings.h"
#include "vtutils/platform/processes.h"
#include "vtutils/platform/win32_types.h"
#include "vtutils/process.h"

namespace vtutils {

// Whether the thread's watch asks the protocol to stop; false without a watch.
bool kill_stop_requested();
// The dump of `process` that kill_with_dump asks for: create_minidump, or create_minidump_at the
// file that the thread's watch names, or none when it names none; the watch is told the outcome.
CString dump_as_watched(const vtuProcess& process, MINIDUMP_TYPE dump_type);
// Tell the thread's watch, if any, that `id` was suspended or is terminated next.
void tell_suspended(DWORD id);
void tell_terminating(DWORD id);

}  // namespace vtutils
