// PtraceSession: every thread of another process attached with ptrace and held stopped, the
// Linux form of a debugger attached to a process; and the sessions that the calling thread holds.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <map>
#include <memory>
#include <vector>

#include "vtplatform/win32/types.h"

namespace vtplatform {

class PtraceSession {
 public:
  // Seizes every thread of `pid` and interrupts it, scanning /proc/PID/task again until no thread
  // appears that is not yet stopped. Null with the Win32 error in `*error` on failure, with every
  // thread that was attached released again: ERROR_INVALID_PARAMETER when the process does not
  // exist, ERROR_ACCESS_DENIED when it is already traced or the kernel refuses the attachment,
  // ERROR_BUSY when a thread does not stop within the bound (one in an uninterruptible wait).
  static std::unique_ptr<PtraceSession> attach(pid_t pid, DWORD* error);

  PtraceSession(const PtraceSession&) = delete;
  PtraceSession& operator=(const PtraceSession&) = delete;
  // Detaches every thread; see detach().
  ~PtraceSession();

  pid_t pid() const { return pid_; }
  // The start of the process in clock ticks since boot, to tell it from a later owner of its id.
  std::uint64_t start_ticks() const { return start_ticks_; }
  // The attached threads, the main thread first when it still runs.
  std::vector<pid_t> threads() const;

  // Makes sure that every thread is stopped: attaches threads that appeared since, and forgets
  // threads that have ended (the process was killed meanwhile). ERROR_INVALID_PARAMETER once no
  // thread is left, else the errors of attach().
  DWORD stop_all();

  // Lets every thread run on, delivering the signals that arrived while it was being stopped.
  // Nothing is left attached afterwards; calling it again does nothing.
  void detach();

 private:
  struct Thread {
    pid_t tid;
    int pending_signal;  // delivered at detach; 0 for none
  };

  PtraceSession(pid_t pid, std::uint64_t start_ticks, bool is_parent)
      : pid_(pid), start_ticks_(start_ticks), is_parent_(is_parent) {}

  DWORD attach_new_threads();
  bool is_attached(pid_t tid) const;
  void collect_exit_report(pid_t tid) const;

  const pid_t pid_;
  const std::uint64_t start_ticks_;
  const bool is_parent_;  // whether the caller is the process's parent, which reaps it
  std::vector<Thread> threads_;
};

// The sessions that DebugActiveProcess opened on the calling thread, by process id. A ptrace
// tracer is one thread, so each thread has its own; they are detached when the thread ends.
std::map<pid_t, std::unique_ptr<PtraceSession>>& thread_debug_sessions();

}  // namespace vtplatform
