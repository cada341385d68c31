// NtSuspendProcess: SIGSTOP through the process's pidfd, then a wait until every thread shows as
// stopped, so that the caller finds the process frozen when the call returns, as on Windows.
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <thread>

#include "vtplatform/win32/native.h"
#include "vtplatform/win32/process.h"
#include "win32/process/process_object.h"
#include "win32/process/process_stat_linux.h"
#include "win32/process/process_table_linux.h"

namespace vtplatform {
namespace {

using namespace std::chrono_literals;

// A thread in an uninterruptible wait stops only when the wait ends; past this bound the call
// returns with the signal still pending for it.
constexpr auto kStopTimeout = 1s;
constexpr auto kStopPoll = 1ms;

// Whether no thread of the process still runs: each is stopped (T), stopped by a tracer (t), or
// has exited (Z, X). A process that has gone altogether has nothing left to stop either.
bool all_threads_stopped(pid_t pid) {
  const auto threads = read_thread_stats(pid);
  if (!threads) return true;
  for (const ProcessStat& thread : *threads) {
    if (thread.state != 'T' && thread.state != 't' && thread.state != 'Z' && thread.state != 'X') {
      return false;
    }
  }
  return true;
}

void wait_until_stopped(pid_t pid) {
  const auto deadline = std::chrono::steady_clock::now() + kStopTimeout;
  while (!all_threads_stopped(pid) && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(kStopPoll);
  }
}

}  // namespace
}  // namespace vtplatform

NTSTATUS NTAPI NtSuspendProcess(HANDLE process) {
  using namespace vtplatform;
  if (process == GetCurrentProcess()) {
    // Stops the caller: the call returns once something has sent SIGCONT.
    ::kill(::getpid(), SIGSTOP);
    return STATUS_SUCCESS;
  }
  const auto object = find_handle_as<ProcessObject>(process);
  if (!object) return STATUS_INVALID_HANDLE;
  if ((object->access() & PROCESS_SUSPEND_RESUME) == 0) return STATUS_ACCESS_DENIED;
  if (::syscall(SYS_pidfd_send_signal, object->pidfd(), SIGSTOP, nullptr, 0) != 0) {
    return errno == EPERM ? STATUS_ACCESS_DENIED : STATUS_PROCESS_IS_TERMINATING;
  }
  // A process stopped while its id is still its own: the id cannot be reused before it exits.
  wait_until_stopped(object->pid());
  process_table_changed();
  return STATUS_SUCCESS;
}
