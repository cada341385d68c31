// The fields of /proc/PID/stat that the process functions use, the list of live processes and the
// threads of one process.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "win32/core/error_or.h"

namespace vtplatform {

struct ProcessStat {
  pid_t pid = 0;
  std::string comm;          // the command name, at most 15 bytes; may hold spaces and ')'
  char state = '?';          // R, S, D, Z, X, ...
  pid_t parent = 0;          // 0 when the parent lies outside our pid namespace
  std::uint64_t user_ticks = 0;
  std::uint64_t kernel_ticks = 0;
  long threads = 0;
  std::uint64_t start_ticks = 0;  // clock ticks from boot to the start of the process
};

// Parses the text of /proc/PID/stat. The command name is everything between the first '(' and
// the last ')', since the name itself may contain both.
std::optional<ProcessStat> parse_process_stat(std::string_view text);

// Reads and parses /proc/`pid`/stat: the errno of the read that failed (ENOENT or ESRCH when the
// process is gone), EBADMSG for a text that does not parse.
ErrorOr<ProcessStat> read_process_stat(pid_t pid);

// Whether the process counts as running. A zombie (state Z or X) is gone, except that a process
// whose main thread has exited shows its leader as a zombie while its other threads still run:
// the thread count still includes them, whereas a true zombie counts only its leader.
bool is_live(const ProcessStat& stat);

// The wall-clock time of boot in seconds since 1970, read once per process so that every
// creation time derives from the same origin; nothing when /proc/stat cannot be read.
std::optional<std::uint64_t> boot_time();

// Every live process under /proc, in ascending id order; kernel threads included.
std::vector<ProcessStat> live_processes();

// The stat of every thread of the process, from /proc/PID/task (the pid field is the thread's
// id); nothing when the process is gone.
std::optional<std::vector<ProcessStat>> read_thread_stats(pid_t pid);

}  // namespace vtplatform
