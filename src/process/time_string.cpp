// vtuProcess::append_time_string: the local time with milliseconds that names dump files and
// starts the lifetime log's lines.
#include <ctime>

#include "vtutils/platform/crt_time.h"
#include "vtutils/process.h"

void vtuProcess::append_time_string(CString& s) {
  const __time64_t now = _time64(nullptr);
  std::tm local{};
  if (_localtime64_s(&local, &now) != 0) AtlThrow(E_INVALIDARG);
  char text[128];
  if (std::strftime(text, sizeof text, "%Y.%m.%d %H-%M-%S", &local) == 0) text[0] = '\0';
  // The milliseconds come from a second reading of the clock, so they may belong to the next
  // second of the one printed.
  __timeb64 precise{};
  _ftime64_s(&precise);
  CString time(text);
  time.AppendFormat(".%0 3u", static_cast<unsigned>(precise.millitm));
  s += time;
}
