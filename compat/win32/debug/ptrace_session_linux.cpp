// Attaching to every thread of a process with PTRACE_SEIZE and PTRACE_INTERRUPT, holding them
// stopped, and letting them go again.
#include "win32/debug/ptrace_session_linux.h"

#include <sys/ptrace.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <charconv>
#include <csignal>
#include <string>
#include <string_view>
#include <thread>

#include "vtplatform/win32/error.h"
#include "win32/core/eintr.h"
#include "win32/core/errno_error.h"
#include "win32/core/read_file.h"
#include "win32/process/process_stat_linux.h"

namespace vtplatform {
namespace {

using namespace std::chrono_literals;

// How long one thread may take to stop. A thread in an uninterruptible wait (state D, a hung
// network file system) stops only when the wait ends; past this bound the attachment fails.
constexpr auto kStopTimeout = 1500ms;
constexpr auto kStopPoll = 100us;
// How long a killed thread is given to report its exit.
constexpr auto kExitReportTimeout = 1s;

// The process id of the process's tracer from /proc/PID/status; 0 when it is not traced, nothing
// when the process is gone.
std::optional<long> tracer_of(pid_t pid) {
  const auto status = read_file("/proc/" + std::to_string(pid) + "/status");
  if (!status) return std::nullopt;
  constexpr std::string_view kField = "\nTracerPid:";
  const auto at = status->find(kField);
  if (at == std::string::npos) return std::nullopt;
  std::string_view value = std::string_view(*status).substr(at + kField.size());
  value.remove_prefix(std::min(value.find_first_not_of(" \t"), value.size()));
  long tracer = 0;
  std::from_chars(value.data(), value.data() + value.size(), tracer);
  return tracer;
}

bool has_ended(const ProcessStat& thread) { return thread.state == 'Z' || thread.state == 'X'; }

enum class StopResult { kStopped, kEnded, kTimedOut };

// Waits until the seized and interrupted thread reports its stop. A signal that the thread was
// about to receive shows as a signal-delivery stop first; it is kept in `pending_signal` so that
// detaching delivers it after all. Group stops (a process stopped by SIGSTOP) carry no signal of
// their own: they report as event stops and the thread stays stopped after the detach.
StopResult wait_for_stop(pid_t tid, int& pending_signal) {
  const auto deadline = std::chrono::steady_clock::now() + kStopTimeout;
  for (;;) {
    int status = 0;
    const pid_t waited = retry_on_eintr([&] { return ::waitpid(tid, &status, __WALL | WNOHANG); });
    if (waited == tid) {
      if (WIFEXITED(status) || WIFSIGNALED(status)) return StopResult::kEnded;
      if (WIFSTOPPED(status)) {
        if ((status >> 16) == 0) pending_signal = WSTOPSIG(status);
        return StopResult::kStopped;
      }
    } else if (waited < 0) {
      return StopResult::kEnded;  // ECHILD: the thread is gone and someone else reaped it
    }
    if (std::chrono::steady_clock::now() >= deadline) return StopResult::kTimedOut;
    std::this_thread::sleep_for(kStopPoll);
  }
}

}  // namespace

std::unique_ptr<PtraceSession> PtraceSession::attach(pid_t pid, DWORD* error) {
  const auto stat = read_process_stat(pid);
  const auto tracer = tracer_of(pid);
  if (!stat || !tracer || !is_live(*stat)) {
    *error = ERROR_INVALID_PARAMETER;
    return nullptr;
  }
  if (*tracer != 0 || pid == ::getpid()) {
    *error = ERROR_ACCESS_DENIED;
    return nullptr;
  }
  std::unique_ptr<PtraceSession> session(
      new PtraceSession(pid, stat->start_ticks, stat->parent == ::getpid()));
  *error = session->attach_new_threads();
  if (*error == ERROR_SUCCESS && session->threads_.empty()) *error = ERROR_INVALID_PARAMETER;
  if (*error != ERROR_SUCCESS) return nullptr;  // the destructor detaches what was attached
  return session;
}

PtraceSession::~PtraceSession() { detach(); }

bool PtraceSession::is_attached(pid_t tid) const {
  return std::any_of(threads_.begin(), threads_.end(),
                     [tid](const Thread& thread) { return thread.tid == tid; });
}

// Threads may start new threads until they are stopped themselves, so the task list is read again
// until a pass finds nothing new; once every thread is stopped, none can appear.
DWORD PtraceSession::attach_new_threads() {
  for (;;) {
    const auto tasks = read_thread_stats(pid_);
    if (!tasks) return ERROR_INVALID_PARAMETER;
    bool attached_any = false;
    for (const ProcessStat& task : *tasks) {
      if (has_ended(task) || is_attached(task.pid)) continue;
      if (::ptrace(PTRACE_SEIZE, task.pid, nullptr, nullptr) != 0) {
        if (errno == ESRCH) continue;  // ended since the list was read
        return errno == EPERM ? ERROR_ACCESS_DENIED : win32_error_from_errno(errno);
      }
      threads_.push_back({task.pid, 0});
      attached_any = true;
      if (::ptrace(PTRACE_INTERRUPT, task.pid, nullptr, nullptr) != 0 && errno != ESRCH) {
        return win32_error_from_errno(errno);
      }
      switch (wait_for_stop(task.pid, threads_.back().pending_signal)) {
        case StopResult::kStopped:
          break;
        case StopResult::kEnded:
          threads_.pop_back();
          break;
        case StopResult::kTimedOut:
          return ERROR_BUSY;
      }
    }
    if (!attached_any) return ERROR_SUCCESS;
  }
}

std::vector<pid_t> PtraceSession::threads() const {
  std::vector<pid_t> tids;
  for (const Thread& thread : threads_) tids.push_back(thread.tid);
  std::stable_partition(tids.begin(), tids.end(), [this](pid_t tid) { return tid == pid_; });
  return tids;
}

DWORD PtraceSession::stop_all() {
  // Any request but the attaching ones fails with ESRCH for a tracee that is not stopped; a
  // stopped one can only have been made to leave its stop by SIGKILL, which ends it.
  std::erase_if(threads_, [this](const Thread& thread) {
    unsigned long message = 0;
    if (::ptrace(PTRACE_GETEVENTMSG, thread.tid, nullptr, &message) == 0) return false;
    collect_exit_report(thread.tid);
    return true;
  });
  if (threads_.empty()) return ERROR_INVALID_PARAMETER;
  return attach_new_threads();
}

void PtraceSession::detach() {
  // Threads with a signal to deliver go last: a fatal one ends the whole process, and threads
  // still attached then would have to be collected one by one.
  std::stable_partition(threads_.begin(), threads_.end(),
                        [](const Thread& thread) { return thread.pending_signal == 0; });
  for (const Thread& thread : threads_) {
    const auto signal = static_cast<std::uintptr_t>(thread.pending_signal);
    if (::ptrace(PTRACE_DETACH, thread.tid, nullptr, reinterpret_cast<void*>(signal)) == 0) {
      continue;
    }
    collect_exit_report(thread.tid);  // it left its stop because it was killed
  }
  threads_.clear();
}

// A traced thread that ends reports its exit to us as its tracer and stays a zombie until that
// report is collected; one that was killed may still be on its way out, so the wait allows it a
// moment. The main thread's report is left alone when we are also the parent, since collecting
// it would reap the process under the parent's own wait.
void PtraceSession::collect_exit_report(pid_t tid) const {
  if (tid == pid_ && is_parent_) return;
  const auto deadline = std::chrono::steady_clock::now() + kExitReportTimeout;
  while (::waitpid(tid, nullptr, __WALL | WNOHANG) == 0 &&
         std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

std::map<pid_t, std::unique_ptr<PtraceSession>>& thread_debug_sessions() {
  thread_local std::map<pid_t, std::unique_ptr<PtraceSession>> sessions;
  return sessions;
}

}  // namespace vtplatform
