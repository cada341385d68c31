// The base library's byte string, utString, and the action passed to a singleton's access
// function. On Windows the base library's own headers declare them.
#pragma once

#if !defined(_WIN32)
#include "vtplatform/base/singleton.h"
#include "vtplatform/base/ut_string.h"
#endif
