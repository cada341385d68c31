// DebugActiveProcess, DebugBreakProcess and DebugActiveProcessStop on the calling thread's ptrace
// sessions.
#include "vtplatform/win32/debug.h"

#include <climits>

#include "vtplatform/win32/error.h"
#include "win32/debug/ptrace_session_linux.h"
#include "win32/process/process_object.h"

namespace vtplatform {
namespace {

BOOL fail(DWORD error) {
  SetLastError(error);
  return FALSE;
}

}  // namespace
}  // namespace vtplatform

BOOL DebugActiveProcess(DWORD process_id) {
  using namespace vtplatform;
  if (process_id == 0 || process_id > INT_MAX) return fail(ERROR_INVALID_PARAMETER);
  const auto pid = static_cast<pid_t>(process_id);
  auto& sessions = thread_debug_sessions();
  if (sessions.contains(pid)) return fail(ERROR_ACCESS_DENIED);
  DWORD error = ERROR_SUCCESS;
  auto session = PtraceSession::attach(pid, &error);
  if (!session) return fail(error);
  sessions.emplace(pid, std::move(session));
  return TRUE;
}

BOOL DebugBreakProcess(HANDLE process) {
  using namespace vtplatform;
  const auto object = find_handle_as<ProcessObject>(process);
  if (!object) return fail(ERROR_INVALID_HANDLE);
  auto& sessions = thread_debug_sessions();
  const auto found = sessions.find(object->pid());
  // The start time tells the debugged process from a later one that was given its id.
  if (found == sessions.end() || found->second->start_ticks() != object->start_ticks()) {
    return fail(ERROR_INVALID_PARAMETER);
  }
  const DWORD error = found->second->stop_all();
  return error == ERROR_SUCCESS ? TRUE : fail(error);
}

BOOL DebugActiveProcessStop(DWORD process_id) {
  using namespace vtplatform;
  // Erasing the session detaches it.
  if (process_id > INT_MAX || thread_debug_sessions().erase(static_cast<pid_t>(process_id)) == 0) {
    return fail(ERROR_INVALID_PARAMETER);
  }
  return TRUE;
}
