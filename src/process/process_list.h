// The question that the process queries and the termination protocol ask most: is an id in a
// fresh process list?
#pragma once

#include "vtutils/platform/win32_types.h"

namespace vtutils {

// Whether `id` is in a fresh process list. Neither 0 nor the invalid id is ever listed.
bool is_listed(DWORD id);

}  // namespace vtutils
