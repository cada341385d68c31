// vtuProcess's termination protocol: a target is suspended, its children are killed depth first,
// then it is terminated and waited for, in at most two attempts, each step traced in the
// lifetime log.
#include "process/kill_watch.h"
#include "process/lifetime_log.h"
#include "process/process_list.h"
#include "process/scoped_handle.h"
#include "vtutils/process.h"
#include "vtutils/process_iterator.h"

namespace {

using vtutils::is_listed;
using vtutils::kill_stop_requested;
using vtutils::lifetime_log_write;

// The poll interval of wait_for_process_exit.
constexpr int kPollMilliseconds = 200;
// The exit code asked for: all bits set.
constexpr UINT kKilledExitCode = 0xFFFFFFFF;

// Logs `format` with up to two main module names for its %s.
void log_line(const char* format, const CString& first = CString(),
              const CString& second = CString()) {
  CString line;
  line.Format(format, static_cast<const char*>(first), static_cast<const char*>(second));
  lifetime_log_write(line);
}

}  // namespace

bool vtuProcess::kill(const vtuProcess& process, int timeout) {
  return kill_internal(process, timeout, false, MiniDumpNormal, nullptr);
}

bool vtuProcess::kill_with_dump(const vtuProcess& process, int timeout, MINIDUMP_TYPE dump_type,
                                CString& dump_path) {
  return kill_internal(process, timeout, true, dump_type, &dump_path);
}

bool vtuProcess::kill_internal(const vtuProcess& process, int timeout, bool with_dump,
                               MINIDUMP_TYPE dump_type, CString* dump_path) {
  // Each child search asks about every process of the machine in turn. One reading of the
  // process table, taken anew after every suspension, termination, wait and sleep, answers all
  // of a search's questions instead of a reading of /proc for each.
  const vtplatform::ProcessTableScope shared_process_table;
  if (try_to_kill(process, timeout, with_dump, dump_type, dump_path)) return true;
  if (wait_for_process_exit(process, timeout)) return true;
  return try_to_kill(process, timeout, with_dump, dump_type, dump_path);
}

bool vtuProcess::try_to_kill(const vtuProcess& process, int timeout, bool with_dump,
                             MINIDUMP_TYPE dump_type, CString* dump_path) {
  const DWORD target = process.process_id();
  if (target == kInvalidId) return true;
  // Suspending the calling process would stop the very thread that is to go on; it is never a
  // target, as it is never a child to kill.
  if (target == GetCurrentProcessId()) return false;
  if (kill_stop_requested()) return false;
  const CString name = process.main_module_file_name();
  log_line("Starting terminating process: '%s'\r\n", name);
  if (with_dump && dump_path != nullptr) *dump_path = vtutils::dump_as_watched(process, dump_type);
  // Frozen first, so that it starts no new children while they are looked for.
  process.suspend();
  vtutils::tell_suspended(target);
  log_line("  Searching child processes of process '%s'\r\n", name);

  const DWORD self = GetCurrentProcessId();
  vtuProcessIterator processes;
  for (DWORD id = processes.first(); id != 0; id = processes.next()) {
    if (kill_stop_requested()) return false;
    if (id == self) continue;
    const vtuProcess candidate(id);
    if (candidate.orphaned() || candidate.parent_id() != target) continue;
    // A child older than its parent names an earlier owner of the parent's id.
    if (compare_process_time(target, id) > 0) {
      log_line("  child process '%s' was created earlier then parent one '%s'.\r\n",
               candidate.main_module_file_name(), name);
      continue;
    }
    if (!try_to_kill(candidate, timeout, false, MiniDumpNormal, nullptr) &&
        !wait_for_process_exit(candidate, timeout)) {
      try_to_kill(candidate, timeout, false, MiniDumpNormal, nullptr);
    }
  }

  if (kill_stop_requested()) return false;
  vtutils::tell_terminating(target);
  log_line("  Killing process '%s'\r\n", name);
  vtutils::ScopedHandle handle(OpenProcess(PROCESS_TERMINATE, FALSE, target));
  if (!handle) {
    if (!is_listed(target)) {
      log_line("    We cannot get TERMINATE access to process, because it has exited already.\r\n");
      return true;
    }
    log_line("    The process has been found but we cannot get TERMINATE access to it, give up.\r\n");
    return false;
  }
  bool refused = false;
  if (!TerminateProcess(handle.get(), kKilledExitCode)) {
    if (process.exists()) {
      log_line("    Cannot terminate process, why?\r\n");
      refused = true;
    } else {
      log_line("    Cannot terminate process because it has exited already.\r\n");
    }
  }
  if (!refused) {
    // A negative time-out becomes INFINITE.
    const DWORD waited = WaitForSingleObject(handle.get(), static_cast<DWORD>(timeout));
    if (waited == WAIT_TIMEOUT) {
      log_line("    Wait for process terminating ended with timeout.\r\n");
    } else if (waited == WAIT_FAILED) {
      log_line("    Failed to wait for process terminating.\r\n");
    }
  }
  if (!CloseHandle(handle.release())) log_line("    Cannot close process handles, why?\r\n");
  if (refused) return false;

  wait_for_process_exit(process, timeout);
  if (!is_listed(target)) {
    log_line("Ending terminating process: '%s' res = success\r\n", name);
    return true;
  }
  log_line("Ending terminating process: '%s' res = process still exists\r\n", name);
  return false;
}

bool vtuProcess::wait_for_process_exit(const vtuProcess& process, int timeout) {
  // At least one sleep, and the last look comes after the time-out has been reached; a watch
  // that asks to stop ends the wait before its next sleep.
  int elapsed = 0;
  do {
    if (kill_stop_requested()) break;
    Sleep(kPollMilliseconds);
    elapsed += kPollMilliseconds;
  } while (elapsed < timeout && is_listed(process.process_id()));
  return !is_listed(process.process_id());
}
