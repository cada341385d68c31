// The C runtime's clock functions on the POSIX clock and time zone functions.
#include <time.h>

#include <cerrno>
#include <cstring>

#include "vtplatform/win32/crt_time.h"

__time64_t _time64(__time64_t* destination) {
  const __time64_t now = ::time(nullptr);
  if (destination != nullptr) *destination = now;
  return now;
}

errno_t _localtime64_s(std::tm* result, const __time64_t* source) {
  if (result == nullptr) return EINVAL;
  const time_t seconds = source != nullptr ? static_cast<time_t>(*source) : 0;
  // The Windows runtime refuses times before 1970; its result then holds -1 everywhere.
  if (source == nullptr || *source < 0 || ::localtime_r(&seconds, result) == nullptr) {
    std::memset(result, 0xFF, sizeof *result);
    return EINVAL;
  }
  return 0;
}

errno_t _ftime64_s(__timeb64* result) {
  if (result == nullptr) return EINVAL;
  timespec now{};
  ::clock_gettime(CLOCK_REALTIME, &now);
  ::tzset();  // sets ::timezone, the zone's standard offset west of UTC in seconds
  std::tm local{};
  ::localtime_r(&now.tv_sec, &local);
  result->time = now.tv_sec;
  result->millitm = static_cast<unsigned short>(now.tv_nsec / 1'000'000);
  result->timezone = static_cast<short>(::timezone / 60);
  result->dstflag = static_cast<short>(local.tm_isdst > 0 ? 1 : 0);
  return 0;
}
