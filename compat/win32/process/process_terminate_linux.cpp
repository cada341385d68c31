// TerminateProcess: SIGKILL through the process's pidfd.
#include <sys/syscall.h>
#include <unistd.h>

#include <csignal>

#include "vtplatform/win32/error.h"
#include "vtplatform/win32/process.h"
#include "win32/process/process_object.h"
#include "win32/process/process_table_linux.h"

BOOL TerminateProcess(HANDLE process, UINT exit_code) {
  using namespace vtplatform;
  if (process == GetCurrentProcess()) ::_exit(static_cast<int>(exit_code));
  const auto object = find_handle_as<ProcessObject>(process);
  if (!object) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  // ESRCH (it has exited) and EPERM both answer as Windows answers them.
  if ((object->access() & PROCESS_TERMINATE) == 0 ||
      ::syscall(SYS_pidfd_send_signal, object->pidfd(), SIGKILL, nullptr, 0) != 0) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  process_table_changed();
  return TRUE;
}
