// The termination protocol's side of vtuKillWatch: the calling thread's watch, asked and told
// through these functions so that the protocol reads the same with and without one.
#pragma once

#include "vtutils/platform/win32_types.h"

namespace vtutils {

// Whether the thread's watch asks the protocol to stop; false without a watch.
bool kill_stop_requested();
// Tell the thread's watch, if any, that `id` was suspended or is terminated next.
void tell_suspended(DWORD id);
void tell_terminating(DWORD id);

}  // namespace vtutils
