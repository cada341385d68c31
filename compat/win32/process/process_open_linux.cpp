// OpenProcess: a pidfd for the process, after the kernel has been asked whether the caller may do
// what the requested rights allow; GetProcessId: the id behind a process handle.
#include <fcntl.h>
#include <poll.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <csignal>
#include <memory>
#include <string>

#include "vtplatform/win32/error.h"
#include "vtplatform/win32/process.h"
#include "win32/core/errno_error.h"
#include "win32/process/process_object.h"
#include "win32/process/process_stat_linux.h"

namespace vtplatform {
namespace {

// Rights that only look at the process; anyone may read its /proc/PID/stat.
constexpr ACCESS_MASK kQueryRights =
    PROCESS_QUERY_INFORMATION | PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE | READ_CONTROL;

// The kernel's answer to "may the caller signal this process": signal 0 checks the permission
// and delivers nothing.
bool may_signal(int pidfd) {
  return ::syscall(SYS_pidfd_send_signal, pidfd, 0, nullptr, 0) == 0 || errno != EPERM;
}

// The kernel's answer to "may the caller read this process's memory": opening its memory map
// makes the same ptrace read check that reading its memory does.
bool may_read_memory(pid_t pid) {
  const std::string path = "/proc/" + std::to_string(pid) + "/maps";
  UniqueFd maps(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  return maps.valid() || (errno != EACCES && errno != EPERM);
}

// True once every thread of the process has exited, whether or not it has been reaped.
bool has_exited(int pidfd) {
  pollfd entry{pidfd, POLLIN, 0};
  return ::poll(&entry, 1, 0) != 0;
}

HANDLE fail(DWORD error) {
  SetLastError(error);
  return nullptr;
}

}  // namespace
}  // namespace vtplatform

HANDLE OpenProcess(DWORD desired_access, BOOL /*inherit_handle*/, DWORD process_id) {
  using namespace vtplatform;
  if (process_id == 0 || process_id > INT_MAX) return fail(ERROR_INVALID_PARAMETER);
  const auto pid = static_cast<pid_t>(process_id);
  UniqueFd pidfd(static_cast<int>(::syscall(SYS_pidfd_open, pid, 0)));
  if (!pidfd.valid()) {
    // ESRCH: no such process; ENOENT (EINVAL before Linux 6.9): the id names a thread.
    const bool missing = errno == ESRCH || errno == ENOENT || errno == EINVAL;
    return fail(missing ? ERROR_INVALID_PARAMETER : win32_error_from_errno(errno));
  }
  const auto stat = read_process_stat(pid);
  if (!stat) return fail(ERROR_INVALID_PARAMETER);
  if ((desired_access & ~(kQueryRights | PROCESS_VM_READ)) != 0 && !may_signal(pidfd.get())) {
    return fail(ERROR_ACCESS_DENIED);
  }
  if ((desired_access & PROCESS_VM_READ) != 0 && !may_read_memory(pid)) {
    return fail(ERROR_ACCESS_DENIED);
  }
  // Checked last: a process still running now is the one whose /proc entries were read above,
  // since its id cannot have been reused while it runs. A zombie counts as gone.
  if (has_exited(pidfd.get())) return fail(ERROR_INVALID_PARAMETER);
  return open_handle(
      std::make_shared<ProcessObject>(pid, std::move(pidfd), stat->start_ticks, desired_access));
}

DWORD GetProcessId(HANDLE process) {
  using namespace vtplatform;
  if (process == GetCurrentProcess()) return GetCurrentProcessId();
  const auto object = find_handle_as<ProcessObject>(process);
  if (!object) {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  return static_cast<DWORD>(object->pid());
}
