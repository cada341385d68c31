// The C runtime's clock functions in their Windows forms: the time in seconds, its conversion to
// local time, and the time with milliseconds.
#pragma once

#include <cstdint>
#include <ctime>

#include "vtplatform/export.h"
#include "vtplatform/win32/temp_file.h"  // errno_t

using __time64_t = std::int64_t;

// The time with milliseconds, as _ftime64_s fills it.
struct __timeb64 {
  __time64_t time;        // seconds since 1970
  unsigned short millitm;  // milliseconds past `time`
  short timezone;         // minutes west of UTC, daylight saving time not counted
  short dstflag;          // nonzero while daylight saving time is in force
};

// The current time in seconds since 1970, also stored in `*destination` when it is not null.
VTPLATFORM_API __time64_t _time64(__time64_t* destination);

// Converts `*source` to the local time zone of the environment (TZ, else /etc/localtime). 0 on
// success; EINVAL, with every field of `*result` set to -1, for a null argument, a negative time
// or a time whose year does not fit.
VTPLATFORM_API errno_t _localtime64_s(std::tm* result, const __time64_t* source);

// Reads the clock with milliseconds. 0 on success, EINVAL for a null argument.
VTPLATFORM_API errno_t _ftime64_s(__timeb64* result);
