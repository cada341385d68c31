// The double fork behind CreateProcessA. Three pipes, all close-on-exec, connect the caller with
// the processes it forks:
//   report  intermediate -> caller: the child's id, or why there is no child
//   go      caller -> intermediate: end of file releases the intermediate, which then exits
//   error   child -> caller: the step that failed and its errno; end of file once execve
//           succeeded, since the child's copy closes on exec
// Both ends of file need every copy of the write end closed. Launches are therefore serialized:
// an intermediate forked by a second launch while the first one's pipes are open would hold
// copies of them until it is released itself.
#include "win32/process_spawn_linux.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <mutex>

#include "vtplatform/win32/error.h"
#include "win32/errno_error.h"
#include "win32/process_stat_linux.h"

namespace vtplatform {
namespace {

// What the intermediate reports: the child's id, or the errno of setsid or fork.
struct Report {
  pid_t pid;
  int error;
};

// What the child reports when it cannot run the program.
enum Step : int { kStandardHandles, kDescriptors, kDirectory, kExec };
struct ChildFailure {
  int step;
  int error;
};

// Writes all of `size` bytes; safe between fork and exec.
void write_all(int fd, const void* data, std::size_t size) {
  const auto* bytes = static_cast<const char*>(data);
  while (size > 0) {
    const ssize_t written = ::write(fd, bytes, size);
    if (written < 0 && errno == EINTR) continue;
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
    const ssize_t got = ::read(fd, bytes + done, size - done);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return -1;
    if (got == 0) break;
    done += static_cast<std::size_t>(got);
  }
  return static_cast<ssize_t>(done);
}

[[noreturn]] void child_fails(int error_fd, Step step) {
  const ChildFailure failure{step, errno};
  write_all(error_fd, &failure, sizeof failure);
  ::_exit(127);
}

// The child, from its fork to the program. Only system calls from here on.
[[noreturn]] void run_child(const SpawnRequest& request, int error_fd) {
  struct sigaction action {};
  for (int signal = 1; signal < NSIG; ++signal) {
    action.sa_handler = signal == SIGPIPE ? SIG_IGN : SIG_DFL;
    ::sigaction(signal, &action, nullptr);  // refused for SIGKILL, SIGSTOP and the C library's own
  }
  // Every source moves above 2 first, so that placing one standard descriptor never closes the
  // source of another, or the error pipe.
  const int moved_error_fd = ::fcntl(error_fd, F_DUPFD_CLOEXEC, 3);
  if (moved_error_fd < 0) child_fails(error_fd, kStandardHandles);
  error_fd = moved_error_fd;
  int sources[3];
  for (int slot = 0; slot < 3; ++slot) {
    sources[slot] = ::fcntl(request.std_fds[slot], F_DUPFD_CLOEXEC, 3);
    if (sources[slot] < 0) child_fails(error_fd, kStandardHandles);
  }
  for (int slot = 0; slot < 3; ++slot) {
    if (::dup2(sources[slot], slot) < 0) child_fails(error_fd, kStandardHandles);
  }
  // Nothing but 0, 1 and 2 survives the exec: whatever other threads opened without
  // close-on-exec is closed then too.
  if (::close_range(3, ~0U, CLOSE_RANGE_CLOEXEC) != 0) child_fails(error_fd, kDescriptors);
  if (request.directory != nullptr && ::chdir(request.directory) != 0) {
    child_fails(error_fd, kDirectory);
  }
  sigset_t none;
  ::sigemptyset(&none);
  ::sigprocmask(SIG_SETMASK, &none, nullptr);
  ::execve(request.program, request.argv, request.envp);
  child_fails(error_fd, kExec);
}

// The intermediate: a new session, the child, the report, then waiting to be released.
[[noreturn]] void run_intermediate(const SpawnRequest& request, int report_fd, int go_fd,
                                   int go_write_fd, int error_fd) {
  ::close(go_write_fd);  // its own copy would keep the release from ever coming
  Report report{0, 0};
  if (::setsid() < 0) {
    report.error = errno;
  } else {
    const pid_t child = ::fork();
    if (child == 0) run_child(request, error_fd);
    if (child < 0) report.error = errno;
    report.pid = child;
  }
  ::close(error_fd);  // the caller sees end of file once the child has executed the program
  write_all(report_fd, &report, sizeof report);
  char go;
  while (::read(go_fd, &go, 1) < 0 && errno == EINTR) {
  }
  ::_exit(0);
}

// The caller's hold on the intermediate: releases and reaps it when the launch ends, however it
// ends.
class Intermediate {
 public:
  Intermediate(pid_t pid, UniqueFd go) : pid_(pid), go_(std::move(go)) {}
  Intermediate(const Intermediate&) = delete;
  Intermediate& operator=(const Intermediate&) = delete;
  ~Intermediate() {
    go_.reset();
    // ECHILD: a SIGCHLD handler of the application, or SIGCHLD ignored, reaped it already.
    while (::waitpid(pid_, nullptr, 0) < 0 && errno == EINTR) {
    }
  }

 private:
  const pid_t pid_;
  UniqueFd go_;
};

bool make_pipe(UniqueFd& read_end, UniqueFd& write_end) {
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) return false;
  read_end.reset(fds[0]);
  write_end.reset(fds[1]);
  return true;
}

std::nullopt_t fail(DWORD error) {
  SetLastError(error);
  return std::nullopt;
}

// The Win32 error for a failed call whose errno may be unset, as after read_process_stat.
DWORD error_from_errno(int error) {
  return error != 0 ? win32_error_from_errno(error) : ERROR_GEN_FAILURE;
}

DWORD child_error(const ChildFailure& failure) {
  if (failure.step == kDirectory && (failure.error == ENOENT || failure.error == ENOTDIR)) {
    return ERROR_DIRECTORY;
  }
  return error_from_errno(failure.error);
}

}  // namespace

std::optional<SpawnedProcess> spawn_detached(const SpawnRequest& request) {
  static std::mutex launching;
  std::lock_guard lock(launching);
  UniqueFd report_read, report_write, go_read, go_write, error_read, error_write;
  if (!make_pipe(report_read, report_write) || !make_pipe(go_read, go_write) ||
      !make_pipe(error_read, error_write)) {
    return fail(win32_error_from_errno(errno));
  }
  // The forked processes start with every signal blocked, so that no handler of the caller runs
  // in them; the child sets its own mask before the exec.
  sigset_t all, old;
  ::sigfillset(&all);
  ::pthread_sigmask(SIG_SETMASK, &all, &old);
  const pid_t intermediate_pid = ::fork();
  const int fork_error = errno;
  if (intermediate_pid == 0) {
    run_intermediate(request, report_write.get(), go_read.get(), go_write.get(),
                     error_write.get());
  }
  ::pthread_sigmask(SIG_SETMASK, &old, nullptr);
  if (intermediate_pid < 0) return fail(win32_error_from_errno(fork_error));
  report_write.reset();
  go_read.reset();
  error_write.reset();
  const Intermediate intermediate(intermediate_pid, std::move(go_write));

  Report report{};
  if (read_all(report_read.get(), &report, sizeof report) != sizeof report) {
    return fail(ERROR_GEN_FAILURE);  // the intermediate died before it could report
  }
  if (report.error != 0) return fail(win32_error_from_errno(report.error));
  const pid_t child = report.pid;

  // The intermediate is held, so `child` still names the child, even if it has exited already.
  errno = 0;
  UniqueFd pidfd(static_cast<int>(::syscall(SYS_pidfd_open, child, 0)));
  const auto stat = pidfd.valid() ? read_process_stat(child) : std::nullopt;
  if (!stat) {
    const int error = errno;
    ::kill(child, SIGKILL);
    return fail(error_from_errno(error));
  }
  ChildFailure failure{};
  const ssize_t got = read_all(error_read.get(), &failure, sizeof failure);
  if (got == sizeof failure) return fail(child_error(failure));  // the child has exited
  if (got != 0) {
    const int error = errno;
    ::kill(child, SIGKILL);
    return fail(got < 0 ? error_from_errno(error) : ERROR_GEN_FAILURE);
  }
  return SpawnedProcess{child, std::move(pidfd), stat->start_ticks};
}

}  // namespace vtplatform
