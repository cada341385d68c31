// Checks of the process id that vtutil kill and vtutil dump are given.
#include "process_argument.h"

#include <signal.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <limits>
#include <string>

#include "command_failure.h"

namespace {

// The id of the process that the thread `id` belongs to, from /proc/ID/status; `id` itself when
// that cannot be read (nothing has the id).
DWORD thread_group_of(DWORD id) {
  std::ifstream status("/proc/" + std::to_string(id) + "/status");
  for (std::string line; std::getline(status, line);) {
    if (line.starts_with("Tgid:")) return static_cast<DWORD>(std::stoul(line.substr(5)));
  }
  return id;
}

}  // namespace

void refuse_non_process_id(const char* command, DWORD id) {
  if (id == 0) fail_usage(command, "0 is not a process id");
  const DWORD process = thread_group_of(id);
  if (process != id) {
    fail_command(command, std::to_string(id) + " is a thread of process " +
                              std::to_string(process) + ", not a process");
  }
}

bool may_signal(DWORD id, std::string& reason) {
  // Larger ids name no process; as a pid_t they would name groups of processes.
  if (id > static_cast<DWORD>(std::numeric_limits<pid_t>::max())) return true;
  // Signal 0 asks only whether a signal would be allowed.
  if (::kill(static_cast<pid_t>(id), 0) == 0 || errno != EPERM) return true;
  reason = std::strerror(EPERM);
  return false;
}
