// WaitForSingleObject on a process handle: poll on its pidfd, which becomes readable when every
// thread of the process has exited. Sleep on the monotonic clock.
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <thread>

#include "vtplatform/win32/error.h"
#include "vtplatform/win32/synch.h"
#include "win32/core/errno_error.h"
#include "win32/process/process_object.h"
#include "win32/process/process_table_linux.h"

namespace vtplatform {
namespace {

using Clock = std::chrono::steady_clock;

DWORD fail(DWORD error) {
  SetLastError(error);
  return WAIT_FAILED;
}

// The poll time-out for the time left until `deadline`, rounded up so that the wait never ends
// before the deadline, and capped at what poll takes (the loop polls again when the cap ends).
int poll_timeout(Clock::time_point deadline) {
  const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
  return static_cast<int>(std::clamp<Clock::rep>(left.count(), 0, INT_MAX));
}

}  // namespace
}  // namespace vtplatform

DWORD WaitForSingleObject(HANDLE object, DWORD milliseconds) {
  using namespace vtplatform;
  const auto process = find_handle_as<ProcessObject>(object);
  if (!process) return fail(ERROR_INVALID_HANDLE);
  const bool forever = milliseconds == INFINITE;
  const auto deadline = Clock::now() + std::chrono::milliseconds(milliseconds);
  for (;;) {
    pollfd entry{process->pidfd(), POLLIN, 0};
    const int ready = ::poll(&entry, 1, forever ? -1 : poll_timeout(deadline));
    if (ready > 0) {
      process_table_changed();
      return WAIT_OBJECT_0;
    }
    if (ready < 0 && errno != EINTR) return fail(win32_error_from_errno(errno));
    if (ready == 0 && !forever && Clock::now() >= deadline) return WAIT_TIMEOUT;
  }
}

void Sleep(DWORD milliseconds) {
  if (milliseconds == INFINITE) {
    for (;;) ::pause();
  }
  // sleep_for resumes after a signal with the time that is left.
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
  vtplatform::process_table_changed();
}
