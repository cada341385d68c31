// The double fork behind CreateProcessA. The caller and the intermediate share one close-on-exec
// socket pair: the intermediate sends its report (the child's id, or the step that failed and its
// errno), and the caller releases it by sending one byte. Whether the child executed the program
// reaches the intermediate over a close-on-exec pipe that the intermediate creates, so only it
// and the child ever hold it: end of file once execve succeeded, else the child's failure record.
// Nothing the caller waits for is an end of file, which a process forked meanwhile by another
// thread of the application would hold up with its copies of the descriptors; and the caller
// watches the intermediate's pidfd beside the socket, so an intermediate that dies without
// reporting ends the wait too.
#include "win32/launch/process_spawn_linux.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "vtplatform/win32/error.h"
#include "win32/core/eintr.h"
#include "win32/core/errno_error.h"
#include "win32/process/process_stat_linux.h"

namespace vtplatform {
namespace {

// The steps that can fail before the program runs.
enum Step : int { kSession, kStatusPipe, kFork, kStandardHandles, kDescriptors, kDirectory, kExec };

// What the intermediate reports. The child sends the same record, without its id, when it cannot
// run the program.
struct Report {
  pid_t child;  // 0 when there is none
  int step;
  int error;  // the errno of the step that failed; 0 once the child runs the program
};

// Writes all of `size` bytes; safe between fork and exec.
void write_all(int fd, const void* data, std::size_t size) {
  const auto* bytes = static_cast<const char*>(data);
  while (size > 0) {
    const ssize_t written = retry_on_eintr([&] { return ::write(fd, bytes, size); });
    if (written <= 0) return;
    bytes += written;
    size -= static_cast<std::size_t>(written);
  }
}

// Reads up to `size` bytes, fewer only at end of file; -1 on a read error.
ssize_t read_all(int fd, void* data, std::size_t size) {
  auto* bytes = static_cast<char*>(data);
  std::size_t done = 0;
  while (done < size) {
    const ssize_t got = retry_on_eintr([&] { return ::read(fd, bytes + done, size - done); });
    if (got < 0) return -1;
    if (got == 0) break;
    done += static_cast<std::size_t>(got);
  }
  return static_cast<ssize_t>(done);
}

[[noreturn]] void child_fails(int status_fd, Step step) {
  const Report failure{0, step, errno};
  write_all(status_fd, &failure, sizeof failure);
  ::_exit(127);
}

// The child, from its fork to the program. Only system calls from here on.
[[noreturn]] void run_child(const SpawnRequest& request, pid_t caller, int status_fd) {
  // Where the Yama security module restricts ptrace to descendants (ptrace scope 1), the double
  // fork would leave the caller unable to debug and dump its own child. Naming it as the child's
  // tracer keeps that working; the declaration lasts while the caller lives and survives the
  // exec. Without Yama the call fails with EINVAL and nothing changes.
  ::prctl(PR_SET_PTRACER, static_cast<unsigned long>(caller), 0, 0, 0);
  struct sigaction action {};
  for (int signal = 1; signal < NSIG; ++signal) {
    action.sa_handler = signal == SIGPIPE ? SIG_IGN : SIG_DFL;
    ::sigaction(signal, &action, nullptr);  // refused for SIGKILL, SIGSTOP and the C library's own
  }
  // Every source moves above 2 first, so that placing one standard descriptor never closes the
  // source of another, or the status pipe.
  const int moved_status_fd = ::fcntl(status_fd, F_DUPFD_CLOEXEC, 3);
  if (moved_status_fd < 0) child_fails(status_fd, kStandardHandles);
  status_fd = moved_status_fd;
  int sources[3];
  for (int slot = 0; slot < 3; ++slot) {
    sources[slot] = ::fcntl(request.std_fds[slot], F_DUPFD_CLOEXEC, 3);
    if (sources[slot] < 0) child_fails(status_fd, kStandardHandles);
  }
  for (int slot = 0; slot < 3; ++slot) {
    if (::dup2(sources[slot], slot) < 0) child_fails(status_fd, kStandardHandles);
  }
  // Nothing but 0, 1 and 2 survives the exec: whatever other threads opened without
  // close-on-exec is closed then too.
  if (::close_range(3, ~0U, CLOSE_RANGE_CLOEXEC) != 0) child_fails(status_fd, kDescriptors);
  if (request.directory != nullptr && ::chdir(request.directory) != 0) {
    child_fails(status_fd, kDirectory);
  }
  sigset_t none;
  ::sigemptyset(&none);
  ::sigprocmask(SIG_SETMASK, &none, nullptr);
  ::execve(request.program, request.argv, request.envp);
  child_fails(status_fd, kExec);
}

// The intermediate: a new session, the child, the report, then waiting to be released. Like the
// child, it makes only async-signal-safe calls.
[[noreturn]] void run_intermediate(const SpawnRequest& request, pid_t caller, int socket,
                                   int caller_socket) {
  ::close(caller_socket);  // its own copy would keep it waiting if the caller died
  // A SIGCHLD that the application ignores (SIG_IGN or SA_NOCLDWAIT) would have the kernel reap
  // the child the moment it exits, so that its id no longer stays reserved for the caller.
  struct sigaction default_action {};
  default_action.sa_handler = SIG_DFL;
  ::sigaction(SIGCHLD, &default_action, nullptr);
  Report report{0, 0, 0};
  int status[2];
  if (::setsid() < 0) {
    report = {0, kSession, errno};
  } else if (::pipe2(status, O_CLOEXEC) != 0) {
    report = {0, kStatusPipe, errno};
  } else {
    // _Fork, unlike fork, runs none of the application's pthread_atfork handlers: they may lock
    // or allocate, which this copy of a possibly multithreaded process must not.
    const pid_t child = ::_Fork();
    if (child == 0) run_child(request, caller, status[1]);
    ::close(status[1]);
    if (child < 0) {
      report = {0, kFork, errno};
    } else {
      // The child's record is one write smaller than PIPE_BUF, so this reads all of it, or
      // nothing: end of file once execve closed the child's copy.
      read_all(status[0], &report, sizeof report);
      report.child = child;
    }
  }
  write_all(socket, &report, sizeof report);
  char release;
  (void)retry_on_eintr([&] { return ::read(socket, &release, 1); });
  ::_exit(0);
}

// A pidfd for the process, or -1 with errno set.
int pidfd_open(pid_t pid) { return static_cast<int>(::syscall(SYS_pidfd_open, pid, 0)); }

// The caller's hold on the intermediate: releases and reaps it when the launch ends, however it
// ends.
class Intermediate {
 public:
  Intermediate(pid_t pid, UniqueFd socket)
      : pid_(pid), pidfd_(pidfd_open(pid)), socket_(std::move(socket)) {}
  Intermediate(const Intermediate&) = delete;
  Intermediate& operator=(const Intermediate&) = delete;
  ~Intermediate() {
    const char release = 0;
    ::send(socket_.get(), &release, 1, MSG_NOSIGNAL);  // fails harmlessly if it has died
    socket_.reset();
    // Waiting on the pidfd cannot reap another process: should a SIGCHLD handler of the
    // application, or SIGCHLD ignored, have reaped the intermediate already, its id may have
    // gone to another child of the application, whereas its pidfd just gives ECHILD. The id is
    // the fallback for when the pidfd could not be opened, for lack of descriptors or memory.
    const idtype_t type = pidfd_.valid() ? P_PIDFD : P_PID;
    const id_t id = static_cast<id_t>(pidfd_.valid() ? pidfd_.get() : pid_);
    siginfo_t info;
    (void)retry_on_eintr([&] { return ::waitid(type, id, &info, WEXITED); });
  }

  // Waits for the report; false when the intermediate ended without sending it.
  bool receive(Report& report) const {
    // End of file on the socket is not enough: a process forked by another thread may hold a
    // copy of the intermediate's end. Its pidfd turns readable when it ends, and anything it
    // sent before is in the socket by then. Without a pidfd, poll skips the entry.
    pollfd watched[] = {{socket_.get(), POLLIN, 0}, {pidfd_.get(), POLLIN, 0}};
    if (retry_on_eintr([&] { return ::poll(watched, 2, -1); }) < 0) return false;
    return ::recv(socket_.get(), &report, sizeof report, MSG_DONTWAIT) == sizeof report;
  }

 private:
  const pid_t pid_;
  const UniqueFd pidfd_;
  UniqueFd socket_;
};

std::nullopt_t fail(DWORD error) {
  SetLastError(error);
  return std::nullopt;
}

DWORD report_error(const Report& report) {
  if (report.step == kDirectory && (report.error == ENOENT || report.error == ENOTDIR)) {
    return ERROR_DIRECTORY;
  }
  return win32_error_from_errno(report.error);
}

}  // namespace

std::optional<SpawnedProcess> spawn_detached(const SpawnRequest& request) {
  int ends[2];
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0) {
    return fail(win32_error_from_errno(errno));
  }
  UniqueFd caller_end(ends[0]), intermediate_end(ends[1]);
  // The forked processes start with every signal blocked, so that no handler of the caller runs
  // in them; the child sets its own mask before the exec.
  sigset_t all, old;
  ::sigfillset(&all);
  ::pthread_sigmask(SIG_SETMASK, &all, &old);
  const pid_t caller = ::getpid();
  const pid_t intermediate_pid = ::fork();
  const int fork_error = errno;
  if (intermediate_pid == 0) {
    run_intermediate(request, caller, intermediate_end.get(), caller_end.get());
  }
  ::pthread_sigmask(SIG_SETMASK, &old, nullptr);
  if (intermediate_pid < 0) return fail(win32_error_from_errno(fork_error));
  intermediate_end.reset();
  const Intermediate intermediate(intermediate_pid, std::move(caller_end));

  Report report{};
  if (!intermediate.receive(report)) return fail(ERROR_GEN_FAILURE);
  if (report.error != 0) return fail(report_error(report));  // no child, or one that has exited
  const pid_t child = report.child;

  // The intermediate is held, so `child` still names the child, even if it has exited already.
  UniqueFd pidfd(pidfd_open(child));
  const ErrorOr<ProcessStat> stat = pidfd.valid() ? read_process_stat(child) : errno_code();
  if (!stat) {
    ::kill(child, SIGKILL);
    return fail(win32_error_from(stat.error()));
  }
  return SpawnedProcess{child, std::move(pidfd), stat->start_ticks};
}

}  // namespace vtplatform
