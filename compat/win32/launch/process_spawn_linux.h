// Starting a detached child process that the caller never has to reap.
//
// The caller forks an intermediate, which starts a new session, forks the child, learns whether
// the child executed the program, reports that and the child's id, and then waits to be
// released. While it waits, the child is its child: even a child that has already exited stays
// an unreaped zombie, so its id cannot be reused, and the caller safely takes a pidfd and the
// start time for it. Then the caller releases and reaps the intermediate, and the orphaned child
// belongs to init (or to the nearest subreaper), which reaps it when it ends. The caller installs
// no SIGCHLD handler and changes no signal disposition; its only child, the intermediate, lives
// a few milliseconds.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <optional>

#include "win32/core/unique_fd.h"

namespace vtplatform {

// Everything the child needs, prepared before any fork: between fork and exec only
// async-signal-safe calls may be made, since the caller may have other threads.
struct SpawnRequest {
  const char* program = nullptr;    // the path of the executable, absolute
  char* const* argv = nullptr;      // null-terminated
  char* const* envp = nullptr;      // null-terminated
  const char* directory = nullptr;  // the child's working folder; null keeps the caller's
  int std_fds[3] = {-1, -1, -1};    // the descriptors that become the child's 0, 1 and 2
};

struct SpawnedProcess {
  pid_t pid = 0;
  UniqueFd pidfd;
  std::uint64_t start_ticks = 0;  // from /proc/PID/stat, as ProcessObject keeps it
};

// Starts the program as a child in a new session, of which it is not the leader, so that it can
// never acquire a controlling terminal. The child names the caller as a process that may trace it
// (PR_SET_PTRACER), for systems where the Yama security module lets a process trace only its
// descendants. The child's descriptors are exactly 0, 1 and 2, copies of
// `std_fds`; its signal dispositions are the defaults except SIGPIPE, which is ignored, so that
// writing to a pipe nobody reads fails with EPIPE instead of killing it; no signal is blocked.
// Returns once the program has been executed, or sets the last error and gives nothing, with no
// process left running: ERROR_DIRECTORY when the working folder is missing or no folder, the
// error of execve (ERROR_ACCESS_DENIED, ERROR_FILE_NOT_FOUND, ...) when the program cannot be
// executed, the error of the failing call for a lack of descriptors, memory or processes.
std::optional<SpawnedProcess> spawn_detached(const SpawnRequest& request);

}  // namespace vtplatform
