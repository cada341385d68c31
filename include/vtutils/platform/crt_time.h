// The C runtime's clock functions in their Windows forms: the time in seconds, its conversion to
// local time, and the time with milliseconds.
#pragma once

#if defined(_WIN32)
#include <sys/timeb.h>
#include <time.h>
#else
#include "vtplatform/win32/crt_time.h"
#endif
